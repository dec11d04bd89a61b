// One select run through the Oracle server-manager program with a generated script, its console
// output captured in a file: the source of the database user list and the free-space view.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ServerManagerQuery {
public:
    // The script: "connect " + connectString, the select, "exit;", each line ending in CR LF,
    // and one more CR LF as a print statement adds it.
    static std::string ScriptText(const std::string& connectString, const std::string& select);

    // The output lines after the rule under the column headings: the output is read item by
    // item (an item ends at a comma or a line end) up to the first item that begins with "---"
    // (blanks before it ignored); the lines after the line holding it are returned. Nothing
    // when the output holds no rule.
    static std::optional<std::vector<std::string>> LinesAfterRule(const std::string& output);

    // Writes the script to ToolRun::ScratchFilePath(), runs `[TARNWICK] svrmgr_path` (default
    // defaultProgram) on it with the output in the same name ending ".txt", and gives the lines
    // after the rule.
    // Raises error 1 with failText when the program path is empty, or the output file is missing
    // or holds no rule. Both temporary files are removed at the end, also after a failure.
    static std::vector<std::string> Run(const std::string& select, const std::string& defaultProgram,
                                        const std::string& failText);

    // The connect string of the settings: `[TARNWICK] svrmgr_connectString`.
    static std::string ConnectString();
};
