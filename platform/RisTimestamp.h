// The one reading of a timestamp or date text, shared by the stand-in server, the looks of the
// program and the text driver: "yyyy-mm-dd:hh:mm:ss" as the clients write it, or the date alone,
// which is that day's first moment.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class RisTimestamp {
public:
    // The moment the text writes, in the one form the server keeps it ("2024-03-01" gives
    // "2024-03-01:00:00:00"); none for a text that is no moment: a part out of its range, a day
    // the month does not have, the year 0, a blank or "T" between date and time.
    static std::optional<std::string> Moment(std::string_view text);
    // A text as a timestamp or date column compares it: the moment it writes (Moment), or the
    // text as it is when it writes none.
    static std::string Compared(std::string_view text);
    // The same without a copy where the text is its own moment: a view of the text itself, or
    // of room (whose text it replaces) for the date alone; valid while both are.
    static std::string_view Compared(std::string_view text, std::string& room);
};
