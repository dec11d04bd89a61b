// The three maintenance runs over the schema list: grant all tables of the project's schemas to
// public, the design system's "mscode.bat" for every P&ID project, and the RIS dictionary
// cleaner for every schema.
#pragma once

#include <functional>
#include <string>
#include <vector>

class Maintenance {
public:
    Maintenance();

    // The schemas of the list that the grant run takes: the project's own schemas by the
    // whole-suffix rule (the text after the schema's first "_" is the project, without regard
    // to case), up to the first empty name.
    static std::vector<std::string> GrantSchemas(const std::vector<std::string>& schemaNames, const std::string& project);
    // The statements of one schema: "default schema <s>;" and one grant per non-empty table.
    static std::string GrantStatements(const std::string& schema, const std::vector<std::string>& tables);
    // The projects whose "mscode.bat" runs: the names after "pid_" of the list's "pid_" schemas.
    static std::vector<std::string> MscodeProjects(const std::vector<std::string>& schemaNames);
    // The three-line command text of one "mscode.bat" run.
    static std::string MscodeCommand(const std::string& project);

    // "Grant all tables": gathers the grants of the project's schemas into TMP\sql.txt, runs
    // risbatch on it with its output in the program log, removes the file and shows the closing
    // message. Esc before a schema ends the run without risbatch; a failure (a table list that
    // cannot be read, a name that is not an identifier) is shown and risbatch does not run.
    // A risbatch that fails is followed by a read of the grants the tables carry; the log and
    // the closing message say whether the grants were done, not done or what stands.
    // Asked to end while a table list is read, it stops after that read without risbatch;
    // asked while risbatch runs, it lets it finish. Either way no box follows.
    // Gives the closing message shown, empty when none is.
    std::string btnGrantAll_Click(const std::vector<std::string>& schemaNames, const std::string& project);
    // "PDS2D - MS Code for all projects": runs "mscode.bat" for every "pid_" schema's project;
    // Esc between schemas, or a request to end, stops after the running batch. No closing
    // message; failures go to the program log.
    void btnMscode_Click(const std::vector<std::string>& schemaNames);
    // "RIS clean all schemas": logs a line and runs risclnsr for each schema; Esc between
    // schemas stops. A run that fails or does not report success is followed by a look at the
    // schema and the database users; the log and the closing message say what stands. Asked to
    // end, it stops after the running cleaner and shows no box.
    // Gives the closing message shown, empty when none is.
    std::string btnRISClean_Click(const std::vector<std::string>& schemaNames);

    // --- seams ---------------------------------------------------------------------------
    // Whether Esc is down or was pressed since the last test; the Esc latch by default.
    std::function<bool()> escPressed;
    // The table names of a schema: by default the database access object's cached list together
    // with the tables the RIS dictionary lists and that list leaves out (each answer used only
    // whole).
    std::function<std::vector<std::string>(const std::string& schema)> getTables;
    // Whether the program was asked to end; asked after every client run. Never by default.
    std::function<bool()> stopRequested;

private:
    bool ending() const { return stopRequested && stopRequested(); }
};

inline constexpr const char* kPds2dDir = "C:\\win32app\\ingr\\PDS2D\\binnt";
