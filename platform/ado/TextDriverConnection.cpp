// Queries on text tables.
#include "platform/ado/TextDriverConnection.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/TextTableLoader.h"
#include "platform/ado/TextTableSchema.h"

#include <sqlite3.h>

#include <filesystem>
#include <vector>

namespace {

JetEngine::Dialect TextDialect()
{
    return {"Microsoft OLE DB Provider for ODBC Drivers", "[Microsoft][ODBC Text Driver] ", adVarChar, adLongVarChar};
}

} // namespace

TextDriverConnection::TextDriverConnection(std::string folder)
    : folder_(std::move(folder)), engine_(":memory:", true, TextDialect())
{
    TextTableLoader::Register(engine_.Handle());
}

std::string TextDriverConnection::FileOfTable(const std::string& name) const
{
    std::string file = name;
    if (file.find('.') == std::string::npos)
        file = ReplaceAll(file, "#", ".");
    const bool rooted = file.find('\\') != std::string::npos || file.find('/') != std::string::npos
        || file.find(':') != std::string::npos;
    if (rooted || folder_.empty())
        return file;
    const char last = folder_.back();
    return folder_ + (last == '\\' || last == '/' ? "" : "\\") + file;
}

Recordset TextDriverConnection::Execute(const std::string& sql)
{
    std::vector<std::string> loaded;
    auto dropLoaded = [&]() {
        for (const std::string& t : loaded)
            sqlite3_exec(engine_.Handle(), ("DROP TABLE IF EXISTS " + JetSqlTranslator::QuoteIdent(t)).c_str(), nullptr,
                         nullptr, nullptr);
        loaded.clear();
    };
    try {
        struct Named {
            std::string table, file, host;
        };
        std::vector<Named> named;
        const JetStatement st = JetSqlTranslator::Translate(
            sql,
            [&](const std::string& name) {
                const std::string file = FileOfTable(name);
                const std::string host = HostPath(file);
                std::error_code ec;
                if (!std::filesystem::is_regular_file(host, ec))
                    engine_.Raise(adoerr::kObjectNotFound,
                                  "The Microsoft Jet database engine could not find the object '" + name
                                      + "'. Make sure the object exists and that you spell its name and the path name correctly.");
                named.push_back({"tw_text_" + std::to_string(named.size() + 1), file, host});
                return JetSqlTranslator::QuoteIdent(named.back().table);
            },
            JetSqlTranslator::NumberLiterals::EveryDigit);
        // A statement that compares with a number of more digits than a double holds finds it
        // only where every number column keeps every digit.
        const TextTableLoader::Numbers numbers =
            st.everyDigitLiterals ? TextTableLoader::Numbers::EveryDigit : TextTableLoader::Numbers::AsRead;
        for (const Named& n : named) {
            loaded.push_back(n.table);
            TextTableLoader::Load(engine_.Handle(), n.table, n.host, TextTableSchema::ForFile(n.file), numbers);
        }
        const bool import = (st.kind == JetStatement::Kind::SelectInto || st.kind == JetStatement::Kind::InsertInto)
            && !st.targetDatabase.empty();
        if (st.kind != JetStatement::Kind::Select && !import)
            engine_.Raise(adoerr::kUnspecified, "Operation must use an updateable query.");
        Recordset rs = engine_.Run(st, import ? HostPath(st.targetDatabase) : std::string());
        dropLoaded();
        return rs;
    } catch (...) {
        dropLoaded();
        throw;
    }
}
