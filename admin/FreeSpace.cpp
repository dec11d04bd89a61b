// Free-space rows: output parsing and the gigabyte format.
#include "admin/FreeSpace.h"

#include "admin/ServerManagerQuery.h"
#include "dbaccess/NumberFormatRecord.h"
#include "platform/Clock.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"

#include <cmath>
#include <cstdlib>

namespace {

bool numeric(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

char separatorOf(const std::optional<std::string>& text, char fallback)
{
    return !text || text->empty() ? fallback : (*text)[0];
}

} // namespace

std::vector<FreeSpaceRow> FreeSpace::Rows(const std::vector<std::string>& linesAfterRule, char decimalSeparator,
                                          char thousandSeparator)
{
    std::vector<FreeSpaceRow> rows;
    for (const std::string& line : linesAfterRule) {
        const size_t firstTab = line.find('\t');
        std::string name;
        if (firstTab != std::string::npos && firstTab >= 1) {
            name = line.substr(0, firstTab);
        } else {
            const size_t blank = line.find(' ');
            name = blank == std::string::npos ? std::string() : line.substr(0, blank + 1);
        }
        name = Trim(name);
        const size_t lastTab = line.rfind('\t');
        const size_t cut = lastTab != std::string::npos ? lastTab : line.rfind(' ');
        const std::string valueText = Trim(cut == std::string::npos ? std::string() : line.substr(cut + 1));
        double bytes = 0;
        if (name.empty() || !numeric(valueText, bytes))
            break;
        rows.push_back({name, FormatGigabytes(bytes, decimalSeparator, thousandSeparator)});
        DoEvents();
    }
    return rows;
}

std::string FreeSpace::FormatGigabytes(double bytes, char decimalSeparator, char thousandSeparator)
{
    const double gigabytes = bytes / 1024.0 / 1024.0 / 1024.0;
    const long long thousandths = std::llround(std::fabs(gigabytes) * 1000.0);
    std::string whole = std::to_string(thousandths / 1000);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<size_t>(i), 1, thousandSeparator);
    std::string fraction = std::to_string(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return (gigabytes < 0 && thousandths != 0 ? "-" : "") + whole + decimalSeparator + fraction;
}

void FreeSpace::RegionalSeparators(char& decimalSeparator, char& thousandSeparator)
{
    // The user's own: while a table read (of this program or another, running or killed) has
    // them forced, its record says what they are.
    RegistryStore store;
    store.Load();
    const NumberSeparators own = NumberFormatRecord::UsersOwn(store);
    decimalSeparator = separatorOf(own.decimal, '.');
    thousandSeparator = separatorOf(own.thousand, ',');
}

std::vector<FreeSpaceRow> FreeSpace::Query()
{
    const std::vector<std::string> lines = ServerManagerQuery::Run(
        "select tablespace_name,sum(bytes) from dba_free_space group by tablespace_name;", "",
        "Could not get free space");
    char decimalSeparator = '.', thousandSeparator = ',';
    RegionalSeparators(decimalSeparator, thousandSeparator);
    return Rows(lines, decimalSeparator, thousandSeparator);
}
