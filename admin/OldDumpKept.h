// The old dump kept whole beside the new one, when the server lists tables of it no more: the
// new dump takes the dump's place, and nothing of the old is lost.
#pragma once

#include "platform/Clock.h"

#include <string>

class OldDumpKept {
public:
    // "<dump>.before-drop_<yyyy-mm-dd_hh-nn-ss>.bak", with "_2", "_3", ... before ".bak" when
    // the name is taken (n from 2 on; 1 gives the name without a number). Its end, "bak", keeps
    // every load of a dump folder and of chosen files from taking it for a dump to load.
    static std::string NameFor(const std::string& dump, const LocalTime& at, int n = 1);

    // Copies the dump (Windows path; a link followed to its file) whole under the first free such
    // name in the dump's folder: the copy is written under a temporary name and takes its own
    // only once whole, never over a file, so a program killed on the way leaves no kept copy but
    // a whole one. Throws AppError (the copy's error) when it cannot be made.
    OldDumpKept(const std::string& dump, const LocalTime& at);

    const std::string& name() const { return name_; }

    // Removes the part of a kept copy that a program killed while it copied left beside the dump
    // (a hidden file named after the copy, whose process no longer runs). Failures are passed
    // over: the next unload of the dump tries again.
    static void RemoveLeftCopies(const std::string& dump);

    // Removes the copy again while it is as it was made (its size and time): the new dump did not
    // take the dump's place, which holds the old one still. Empty when removed; else why it stays.
    std::string Withdraw() const;

private:
    std::string name_;
    long long size_ = 0;
    LocalTime modified_{};
};
