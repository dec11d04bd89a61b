// Texts of the dump unload and load: dump file names, client command lines, the schema line of
// a dump and which files count as loadable dumps.
#pragma once

#include <string>

// Token n of a parameter text (single-quoted tokens) with its "§key§" placeholders replaced
// from [TARNWICK].
std::string DumpParamToken(const std::string& params, int n);

// A file in a directory: <dir>\<name>, with one separator whether dir ends in one or not.
std::string FileInDir(const std::string& dir, const std::string& name);

// The dump folder as the clients are given it: a relative one ("." or "..\dumps") goes on from
// the program's current folder and comes back in full, so that a dump's name says where it is
// whatever a client's own current folder; any other as it is. Raises (source ownName) naming
// the folder when it names no place: a relative one while the current folder lies outside the
// environment.
std::string DumpFolderInFull(const std::string& dumpDir, const std::string& ownName);

// The dump file of a schema in the dump directory: <dir>\<schema>.dmp.
std::string DumpFileOf(const std::string& dumpDir, const std::string& schema);

// "risunlod -m w -o <dump> -s <schema> table with var data all index all grant all view all",
// the dump quoted.
std::string UnloadCommand(const std::string& schema, const std::string& dumpFile);

// "rislod -m w -i <dump> -s <schema> clear table with data all view all index all grant all",
// the dump quoted.
std::string LoadCommand(const std::string& dumpFile, const std::string& schema);

// True when the line begins with "default schema" (exact case).
bool IsDefaultSchemaLine(const std::string& line);

// The schema of a "default schema" line: the text after the first blank at or after position
// 12, blanks trimmed; empty when there is none.
std::string SchemaOfSchemaLine(const std::string& line);

enum class SchemaWordCase { Exact, Any };

// A file that may be a dump: its first line holds " schema " at or after position 5 and its
// name does not end in "bak".
bool IsLoadCandidate(const std::string& firstLine, const std::string& fileName, SchemaWordCase wordCase);

// Raises error 1 from ownName unless name has the identifier form (letters, digits, "_"):
// schema and project names go into command lines and must not carry blanks or quotes.
void CheckIdentifier(const std::string& name, const std::string& what, const std::string& ownName);
