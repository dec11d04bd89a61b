// The file and output commands built into the interpreter, as cmd has them: copy, del/erase,
// move, mkdir/md, rmdir/rd, dir, xcopy, echo, type. Each returns its exit code and writes
// cmd's messages with CR LF to the standard streams.
#pragma once

#include "standins/batchcmd/BatchLine.h"

using BuiltinCommand = int (*)(const BatchCommand& cmd);

// The built-in of that name (any letter case), or nullptr.
BuiltinCommand FindBuiltin(const std::string& name);

// cmd's answer to a file or folder name Windows refuses to create (HasRefusedNameCharacter).
inline constexpr const char* kRefusedNameText = "The filename, directory name, or volume label syntax is incorrect.";

// Writes a line with CR LF to standard output / standard error.
void WriteOut(const std::string& line);
void WriteErr(const std::string& line);

// A target that stands already and is neither a file nor a folder (a FIFO, a device node):
// opening it could wait for ever for a reader, and it is no file to replace. Throws an
// AppError naming it.
void RefuseOddTarget(const std::string& targetHost);
// A source that stands and is neither a file nor a folder (a FIFO, a device node): reading it
// could wait for ever for a writer, or never end. Throws an AppError naming it.
void RefuseOddSource(const std::string& sourceHost);
