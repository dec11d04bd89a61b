// What a RIS unload or load is asked to move, as the clients take it from their command line
// or parameter file: "<schema> [clear|new] table [with [var] data] <tables>
// [view <tables>] [index <tables>] [grant <tables>]", each list "all" or table names, a
// table of the data list optionally followed by where "<condition>".
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct RisTableList {
    bool given = false; // the section was named at all
    bool all = false;
    std::vector<std::string> names;      // lower case
    std::vector<std::string> conditions; // per name; empty when none
    bool Contains(const std::string& table) const;
    std::string ConditionFor(const std::string& table) const;
    // Adds a name (lower case) unless it is there; returns its position in names. A request may
    // name hundreds of thousands of tables, so a name is found by its hash, not by a search.
    size_t Add(const std::string& name);

private:
    std::unordered_map<std::string, size_t> positions_; // lower-case name -> position in names
    const size_t* find(const std::string& table) const;
};

class RisTransferRequest {
public:
    // Parses the words after the client's options (the schema first). Raises
    // RIS_E_SYNTAX_ERROR with the reason when the words do not form a request.
    static RisTransferRequest Parse(const std::vector<std::string>& words);
    // The words of a parameter-file line: blanks separate, double quotes group.
    static std::vector<std::string> SplitWords(std::string_view line);

    std::string schema;
    std::string mode;      // "clear", "new" or empty
    bool withData = false; // "with data": rows too; else the table definitions only
    bool variable = false; // "var": variable layout, else fixed
    RisTableList tables, views, indexes, grants;
};
