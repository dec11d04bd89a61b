// Room held in a folder for files that a later step will write there: a file of the given
// size, written in full now (so a disk without that room fails now, not half-way through the
// later step) and deleted when the later step is about to begin.
#pragma once

#include <cstdint>
#include <string>

class TempRoom {
public:
    TempRoom() = default;
    ~TempRoom() { Release(); }
    TempRoom(const TempRoom&) = delete;
    TempRoom& operator=(const TempRoom&) = delete;

    // Writes a file of bytes bytes in the folder (Windows path ending in "\"). Raises the
    // platform's file error (61 "Disk full", ...) after removing what it wrote.
    void Hold(const std::string& folder, uint64_t bytes);
    // Gives the room back; never raises.
    void Release();

    // Whether the folder has room for bytes more now: a file of that size is written there and
    // removed again. A client that failed in a folder without room for what it had to write
    // there failed for that, whatever its exit code says.
    static bool Fits(const std::string& folder, uint64_t bytes);

private:
    std::string file_;
};
