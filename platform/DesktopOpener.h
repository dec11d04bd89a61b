// Hands a document or program to the desktop's opener, as the Windows shell's "execute" does.
#pragma once

#include <functional>
#include <string>

// Opens file (a Windows path) with the verb op. Returns a shell-execute value: above 32 on
// success, else 2 file not found, 3 path not found, 31 no handler for the file.
using DesktopOpener =
    std::function<long(const std::string& op, const std::string& file, const std::string& params, const std::string& dir)>;

// The desktop's opener (xdg-open) unless a test put another in place; nullptr restores it.
long OpenWithDesktop(const std::string& op, const std::string& file, const std::string& params, const std::string& dir);
void SetDesktopOpener(DesktopOpener opener);
