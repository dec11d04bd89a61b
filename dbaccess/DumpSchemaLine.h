// The schema line of a dump: its rewrite in place ("create schema" line to a "default schema"
// line of the same length) and the chunked copy that names another schema in it.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <string>

class DumpSchemaLine {
public:
    // Rewrites the first line of the dump in place: a first line (ended by CR LF) that does
    // not begin with "default " and, with its CR LF, is longer than 18 characters becomes
    // "default schema " + the name (SchemaWordOf), padded with blanks to the old length. The
    // file keeps its length and every later byte. Nothing changes when the new line would be
    // longer, when the file holds no line end, when the first line ends with LF alone or
    // holds no schema name as a word (leftAsItIs, when given, then says so), or when the file
    // is empty. Returns true when the file was changed. Raises error 53
    // "File '<path>' not found" when the file cannot be opened for reading and writing.
    static bool RewriteInPlace(const std::string& dumpFile, std::string* leftAsItIs = nullptr);

    // The first line of the file up to its first line end (CR removed); empty for an empty
    // file. Reads only as much as needed.
    static std::string ReadFirstLine(const std::string& dumpFile);

    // The schema name of a schema line read word by word: the third word of a line whose first
    // two words are "create" (or "default") and "schema", any case, however many blanks or
    // tabs stand before and between them. Empty for any other line.
    static std::string SchemaWordOf(std::string_view line);

    // The word after a schema phrase ("create schema " or "default schema ") in a line, as
    // written: from right after the phrase up to the next blank or the end of the line,
    // trimmed. Empty when the line holds neither phrase.
    static std::string SchemaNameOf(std::string_view line);

    // Copies source to target in chunks. The schema line, the first line outside a table
    // block that holds "default schema " or "create schema " (any case), becomes
    // "default schema " + name, where name is targetSchema when not blank, else the word after
    // the phrase; its line end and every other byte are copied unchanged. Returns the schema
    // name of the rewritten line, empty when the dump holds no schema line (the file is then
    // copied unchanged).
    // Raises file errors (53 source missing, 75 target not creatable, 57 write failure).
    static std::string CopyWithSchemaName(const std::string& source, const std::string& target,
                                          const std::string& targetSchema,
                                          size_t chunkSize = DumpFormat::kChunkSize);
};
