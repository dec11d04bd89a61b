// Time and the event pump, both injectable so that waits are tested without waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct LocalTime {
    int year = 1899, month = 12, day = 30; // the zero date
    int hour = 0, minute = 0, second = 0;
    int millisecond = 0;
    // Days since 1 January 1970 of the date part; used to compare dates.
    long dayNumber() const;
    double secondsSinceMidnight() const { return hour * 3600.0 + minute * 60.0 + second + millisecond / 1000.0; }
    bool operator==(const LocalTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic counter.
    virtual uint64_t TickMs() = 0;
    virtual LocalTime Now() = 0;
    virtual void SleepMs(int ms) = 0;
};

// The process's clock: the system's unless a test put another in place.
Clock& GetClock();
// Puts a clock in place (nullptr restores the system clock). The caller keeps ownership.
void SetClock(Clock* clock);

// Runs pending interface events: nothing in a headless run; the window layer installs Qt's.
void DoEvents();
void SetEventPump(std::function<void()> pump);

// The local time of a moment given in whole seconds since 1 January 1970 (UTC), milliseconds 0.
LocalTime LocalTimeFromEpoch(int64_t seconds);

// Formats a local time with a pattern of "yyyy", "yy", "mm", "dd", "hh", "nn", "ss" parts.
std::string FormatLocalTime(const LocalTime& t, const std::string& pattern);
