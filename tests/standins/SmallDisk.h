// A small file system of its own (tmpfs) mounted on a test folder while it lives, for runs
// that must meet a full disk. Mounting needs root; a test skips its full-disk part where it
// cannot mount.
#pragma once

#include <filesystem>
#include <string>
#include <sys/mount.h>

class SmallDisk {
public:
    SmallDisk(const std::string& hostDir, const std::string& size) : dir_(hostDir)
    {
        std::filesystem::create_directories(dir_);
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_ = false;
};
