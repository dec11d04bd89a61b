// What an unload may put a new dump in the place of: only a dump of the same schema. Every unload
// that writes over a file asks this first.
#pragma once

#include <string>

// A new dump is written beside the place it goes to, as "<dump>.<process id>.tw.tmp", and takes
// that place by a rename once it is whole: a later run knows one a killed run left by this form.
inline constexpr const char* kNewDumpSuffix = ".tw.tmp";

// Why the unload of schema must leave the file at dump (Windows path) as it is, in words that
// name the file and say that it stays; empty when the new dump may take its place: no file
// there, an empty file, or a dump of schema (or of alsoSchema, when given: the schema the new
// dump is written for). Kept are a file that is not a regular one, a read-only file, a file
// that is no RIS dump (its first line names no schema) and a dump of another schema.
std::string DumpTargetRefusal(const std::string& dump, const std::string& schema,
                              const std::string& alsoSchema = std::string());
