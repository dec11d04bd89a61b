// The main window's operations that script lines call, as the script runner sees them. The
// main window implements it; tests put a recording host in its place.
#pragma once

#include <string>
#include <vector>

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // Each operation receives the whole script line as its parameter text: its k-th argument
    // is the text between the (2k-1)-th and the 2k-th single quote, with "§key§" placeholders
    // still in it. The runner has checked that every argument the command reads is present.
    // Errors are raised as AppError and end the run.

    // Before the script's first line, with its lines, and after its run has ended however it
    // ended: what the whole run will touch is recorded first (the dumps its loads load). Raising
    // in ScriptStarting ends the run before its first line.
    virtual void ScriptStarting(const std::vector<std::string>& lines) { (void)lines; }
    virtual void ScriptEnded() {}

    // 'schema', 'dump file': unloads the schema into the dump file.
    virtual void RISUnload(const std::string& params) = 0;
    // 'dump file': loads the dump into the schema its first line names.
    virtual void RISLoad(const std::string& params) = 0;
    // 'dump file': turns its "create schema" line into a "default schema" line.
    virtual void edrisdmp(const std::string& params) = 0;
    // 'user': creates the database user of that name.
    virtual void Cre_DBUser(const std::string& params) = 0;
    // 'user': drops the database user with its objects.
    virtual void Del_DBUser(const std::string& params) = 0;
    // 'schema': defines the RIS schema.
    virtual void cre_schema(const std::string& params) = 0;
    // 'schema': removes the RIS schema.
    virtual void Del_Schema(const std::string& params) = 0;
};
