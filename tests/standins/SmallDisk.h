// A small file system of its own (tmpfs) mounted on a test folder while it lives, for runs
// that must meet a full disk. Mounting needs root; where it fails, the platform's test hook
// (TARNWICK_TEST_FULL_DISK, inherited by the programs a test starts) makes the folder act as a
// disk of that size instead: creates, writes and copies into it fail with disk full once it
// holds that many bytes. Tests that need more than that (a real file system's own refusals)
// ask Mounted().
#pragma once

#include "platform/HostFiles.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/mount.h>

class SmallDisk {
public:
    SmallDisk(const std::string& hostDir, const std::string& size) : dir_(hostDir)
    {
        std::filesystem::create_directories(dir_);
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
        if (mounted_)
            return;
        if (const char* old = std::getenv(kTestFullDiskVariable))
            saved_ = old;
        ::setenv(kTestFullDiskVariable, (std::filesystem::absolute(dir_).lexically_normal().string() + "=" +
                                         std::to_string(bytesOf(size))).c_str(), 1);
        simulated_ = true;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
        if (!simulated_)
            return;
        if (saved_)
            ::setenv(kTestFullDiskVariable, saved_->c_str(), 1);
        else
            ::unsetenv(kTestFullDiskVariable);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    // "64k", "1m" or bytes, as tmpfs takes its size.
    static unsigned long long bytesOf(const std::string& size)
    {
        char* end = nullptr;
        unsigned long long n = std::strtoull(size.c_str(), &end, 10);
        switch (end && *end ? *end : ' ') {
        case 'k': case 'K': return n << 10;
        case 'm': case 'M': return n << 20;
        case 'g': case 'G': return n << 30;
        default: return n;
        }
    }

    std::string dir_;
    bool mounted_ = false;
    bool simulated_ = false;
    std::optional<std::string> saved_;
};
