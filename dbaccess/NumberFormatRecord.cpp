// The record of the user's number separators, kept in the marks folder while a read forces its own.
#include "dbaccess/NumberFormatRecord.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/RegistryStore.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"

#include <atomic>

namespace {

const char* const kPrefix = "number format ";

std::optional<std::string> valueIn(const RegistryStore& store, const char* name)
{
    const RegistryData* data = store.Value(NumberFormatRecord::RegistryKey(), name);
    if (!data)
        return std::nullopt;
    std::string text(data->bytes.begin(), data->bytes.end());
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

void put(RegistryStore& store, const char* name, const std::optional<std::string>& value)
{
    if (value)
        store.SetValue(NumberFormatRecord::RegistryKey(), name, RegistryData::Text(*value));
    else
        store.RemoveValue(NumberFormatRecord::RegistryKey(), name);
}

bool operator==(const NumberSeparators& a, const NumberSeparators& b)
{
    return a.decimal == b.decimal && a.thousand == b.thousand;
}

void addValue(RunMark::Fields& fields, const std::string& name, const std::optional<std::string>& value)
{
    fields.emplace_back(name + " present", value ? "yes" : "no");
    fields.emplace_back(name, value.value_or(""));
}

std::optional<std::string> valueOf(const RunMark::Fields& fields, const std::string& name)
{
    if (RunMark::Field(fields, name + " present") != "yes")
        return std::nullopt;
    return RunMark::Field(fields, name);
}

NumberSeparators userOf(const RunMark::Fields& fields) { return {valueOf(fields, "decimal"), valueOf(fields, "thousand")}; }

// The records of this computer's registry, with their state.
std::vector<std::pair<std::string, RunMark::Seen>> records()
{
    std::vector<std::pair<std::string, RunMark::Seen>> out;
    for (auto& [object, seen] : RunMark::List(kPrefix))
        if (EqualsNoCase(RunMark::Field(seen.fields, "computer"), ComputerName()))
            out.emplace_back(object, std::move(seen));
    return out;
}

std::string shown(const std::optional<std::string>& value) { return value ? "'" + *value + "'" : "none"; }

std::string both(const NumberSeparators& s) { return NumberFormatRecord::Said(s); }

// Whether a value the read forced (the user's differs from the forced one) still stands forced.
bool stillForced(const std::optional<std::string>& user, const std::optional<std::string>& forced,
                 const std::optional<std::string>& now)
{
    return user != forced && now == forced;
}

bool anyStillForced(const NumberSeparators& user, const NumberSeparators& now)
{
    const NumberSeparators& f = NumberFormatRecord::Forced();
    return stillForced(user.decimal, f.decimal, now.decimal) || stillForced(user.thousand, f.thousand, now.thousand);
}

} // namespace

const std::string& NumberFormatRecord::RegistryKey()
{
    static const std::string key = "HKEY_CURRENT_USER\\Control Panel\\International";
    return key;
}

std::string NumberFormatRecord::Said(const NumberSeparators& s)
{
    return "decimal separator " + shown(s.decimal) + " and thousands separator " + shown(s.thousand);
}

const NumberSeparators& NumberFormatRecord::Forced()
{
    static const NumberSeparators forced{std::string("."), std::string(",")};
    return forced;
}

NumberSeparators NumberFormatRecord::InStore(const RegistryStore& store)
{
    return {valueIn(store, "sDecimal"), valueIn(store, "sThousand")};
}

NumberSeparators NumberFormatRecord::UsersOwn(const RegistryStore& store)
{
    const NumberSeparators now = NumberFormatRecord::InStore(store);
    if (!(now == Forced()))
        return now;
    for (const auto& [object, seen] : records())
        return userOf(seen.fields);
    return now;
}

void NumberFormatRecord::Write(const NumberSeparators& user)
{
    if (mark_)
        return;
    static std::atomic<int> serial{0};
    RunMark::Fields fields{{"what", "a table read's change of the number separators"}};
    addValue(fields, "decimal", user.decimal);
    addValue(fields, "thousand", user.thousand);
    auto mark = std::make_shared<RunMark>(kPrefix + std::to_string(Process::CurrentId()) + "." +
                                              std::to_string(++serial),
                                          fields);
    if (!mark->held())
        throw AppError(1, "NumberFormatRecord", "The record of the number separators could not be taken");
    mark_ = std::move(mark);
    user_ = user;
}

bool NumberFormatRecord::OtherReadRuns()
{
    const std::string own = kPrefix + std::to_string(Process::CurrentId()) + ".";
    for (const auto& [object, seen] : records())
        if (seen.state == RunMark::State::Held && ToLower(object).rfind(own, 0) != 0)
            return true;
    return false;
}

void NumberFormatRecord::Seen(const RegistryStore& store)
{
    if (!mark_ || anyStillForced(user_, NumberFormatRecord::InStore(store)))
        return;
    mark_->Release();
    mark_.reset();
}

void NumberFormatRecord::Handover()
{
    if (!mark_)
        return;
    mark_->Release();
    mark_.reset();
}

NumberFormatRecord::~NumberFormatRecord()
{
    if (mark_)
        mark_->Keep();
}

std::vector<NumberFormatRecord::Left> NumberFormatRecord::MendLeft()
{
    std::vector<Left> out;
    if (OtherReadRuns())
        return out; // a program in its read puts the user's values back when it ends
    std::vector<std::pair<std::string, RunMark::Fields>> left;
    for (auto& [object, seen] : records())
        if (seen.state == RunMark::State::Left)
            left.emplace_back(object, std::move(seen.fields));
    if (left.empty())
        return out;
    RegistryStore store;
    std::vector<bool> putBack(left.size(), false);
    const bool written = store.Update([&](RegistryStore& s) {
        for (size_t i = 0; i < left.size(); ++i) {
            const NumberSeparators user = userOf(left[i].second), now = NumberFormatRecord::InStore(s);
            if (stillForced(user.decimal, Forced().decimal, now.decimal)) {
                put(s, "sDecimal", user.decimal);
                putBack[i] = true;
            }
            if (stillForced(user.thousand, Forced().thousand, now.thousand)) {
                put(s, "sThousand", user.thousand);
                putBack[i] = true;
            }
        }
        return true;
    });
    RegistryStore after;
    const bool read = after.Load() != RegistryStore::LoadResult::Failed;
    for (size_t i = 0; i < left.size(); ++i) {
        const auto& [object, fields] = left[i];
        const NumberSeparators user = userOf(fields), now = NumberFormatRecord::InStore(after);
        const std::string lead = "A table read of " + RunMark::WhoText(fields) +
                                 ", which forces the user's number separators while it runs, was cut off by the end of its program";
        if (!read || anyStillForced(user, now)) {
            out.push_back({lead + ": they stand as the read set them (" + both(Forced()) + "), the user's own are " +
                               both(user) + ". They could not be put back (" +
                               (written ? std::string("the registry could not be read again")
                                        : store.LockFailure().empty() ? std::string("the registry could not be written")
                                                                      : store.LockFailure()) +
                               "); the next start tries again",
                           false});
            continue;
        }
        RunMark::RemoveLeft(object);
        if (now == user)
            out.push_back({lead + (putBack[i] && written ? ": the user's own were put back (" : ": the user's own stand (") +
                               both(user) + ")",
                           true});
        else
            out.push_back({lead + ": the user has set others since, which stand (" + both(now) +
                               "); the user's own before that read were " + both(user),
                           false});
    }
    return out;
}
