// Copies a RIS dump file with tables renamed: whole table names only, only in the statement
// lines (create table, insert into, index, grant and view lines), every pair at once, so that
// data rows, column lists, longer names holding a shorter one and chains (a to b, b to c) are
// left as they should be.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class DumpTableRename {
public:
    // Pairs by position, as far as both lists go; names compare without regard to case and
    // the new name is written as given. An index named "u" + old name (the name the system's
    // own writer gives) becomes "u" + new name.
    DumpTableRename(const std::vector<std::string>& oldNames, const std::vector<std::string>& newNames);
    // Index names to give instead (keyed by the old name in lower case); an index line whose name
    // is among them gets its new name, and the "u" rule above no longer applies.
    void SetIndexNames(std::map<std::string, std::string> names) { indexNames_ = std::move(names); }
    // Views (names in lower case) whose "create view" lines the copy leaves out.
    void SetLeftOutViews(std::set<std::string> views) { leftOutViews_ = std::move(views); }

    // One line outside the table blocks' rows, renamed.
    std::string RenameStatementLine(const std::string& line) const;
    // Streams source into target (both Windows paths), renaming the statement lines; every
    // line of target ends with CR LF. Raises the dump reader's and writer's errors.
    void Copy(const std::string& sourceDump, const std::string& targetDump) const;

private:
    // The new name for a name, or nullptr when it is none of the old names.
    const std::string* NewNameOf(const std::string& name) const;
    // Renames the identifiers of text outside quoted literals.
    std::string RenameWords(const std::string& text, bool indexNames) const;

    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, std::string> indexNames_;
    std::set<std::string> leftOutViews_;
};
