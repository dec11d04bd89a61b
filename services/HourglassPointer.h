// The hourglass pointer for the length of one command: shown on construction, the pointer of
// before put back on every way out.
#pragma once

class HourglassPointer {
public:
    HourglassPointer();
    ~HourglassPointer();
    HourglassPointer(const HourglassPointer&) = delete;
    HourglassPointer& operator=(const HourglassPointer&) = delete;

private:
    int before_;
};
