// The reading of timestamp texts.
#include "platform/RisTimestamp.h"

namespace {

// The number of `count` digits at `at`, or -1.
int digitsAt(std::string_view text, size_t at, size_t count)
{
    int v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

int daysOf(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

std::optional<std::string> RisTimestamp::Moment(std::string_view text)
{
    if ((text.size() != 10 && text.size() != 19) || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    // The database knows no year 0 (the year before 1 is -1).
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysOf(year, month))
        return std::nullopt;
    if (text.size() == 10)
        return std::string(text) + ":00:00:00"; // the date alone: that day's first moment
    // The database takes a time only after a ":".
    if (text[10] != ':' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return std::string(text);
}

std::string RisTimestamp::Compared(std::string_view text)
{
    std::optional<std::string> moment = Moment(text);
    return moment ? std::move(*moment) : std::string(text);
}

std::string_view RisTimestamp::Compared(std::string_view text, std::string& room)
{
    // Only the date alone reads as another text than its own.
    if (text.size() == 10)
        if (std::optional<std::string> moment = Moment(text)) {
            room = std::move(*moment);
            return room;
        }
    return text;
}
