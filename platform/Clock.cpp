// The system clock and the event pump hook.
#include "platform/Clock.h"

#include "platform/FolderCache.h"

#include <chrono>
#include <ctime>
#include <string>
#include <thread>

long LocalTime::dayNumber() const
{
    // Days from civil (Howard Hinnant's algorithm).
    int y = year - (month <= 2);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

LocalTime LocalTimeFromEpoch(int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    return lt;
}

namespace {

class SystemClock : public Clock {
public:
    uint64_t TickMs() override
    {
        using namespace std::chrono;
        return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    LocalTime Now() override
    {
        using namespace std::chrono;
        auto now = system_clock::now();
        LocalTime lt = LocalTimeFromEpoch(static_cast<int64_t>(system_clock::to_time_t(now)));
        lt.millisecond = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
        return lt;
    }
    void SleepMs(int ms) override
    {
        if (ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

SystemClock gSystemClock;
Clock* gClock = &gSystemClock;
std::function<void()> gPump;

std::string pad(int v, int width)
{
    std::string s = std::to_string(v);
    while (static_cast<int>(s.size()) < width)
        s = "0" + s;
    return s;
}

} // namespace

Clock& GetClock() { return *gClock; }
void SetClock(Clock* clock) { gClock = clock ? clock : &gSystemClock; }

void DoEvents()
{
    // Code of other windows runs in the pump: it sees the files as they are, not as a run
    // that pumps remembers them.
    const FolderCacheUnbound unbound;
    if (gPump)
        gPump();
}

void SetEventPump(std::function<void()> pump) { gPump = std::move(pump); }

std::string FormatLocalTime(const LocalTime& t, const std::string& pattern)
{
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        auto at = [&](const char* tok) { return pattern.compare(i, std::char_traits<char>::length(tok), tok) == 0; };
        if (at("yyyy")) { out += pad(t.year, 4); i += 4; }
        else if (at("yy")) { out += pad(t.year % 100, 2); i += 2; }
        else if (at("mm")) { out += pad(t.month, 2); i += 2; }
        else if (at("dd")) { out += pad(t.day, 2); i += 2; }
        else if (at("hh")) { out += pad(t.hour, 2); i += 2; }
        else if (at("nn")) { out += pad(t.minute, 2); i += 2; }
        else if (at("ss")) { out += pad(t.second, 2); i += 2; }
        else { out += pattern[i]; ++i; }
    }
    return out;
}
