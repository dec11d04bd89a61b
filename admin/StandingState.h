// What stands in the database after a change of the main window, the script run or the piping
// model restore whose call failed, and after every load: the reads the change-and-look way runs
// (does the user exist, does the schema exist, which tables, rows and grants does the schema
// hold), each from an answer that is whole or not at all.
#pragma once

#include "dbaccess/DumpWholeCheck.h"
#include "services/ChangeOutcome.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class SchemaDumpSummary;

class StandingState {
public:
    // The database users the server manager lists. Raises when its listing does not end with
    // its own row count line ("no rows selected", "<n> rows selected.") giving as many rows
    // as were listed: a cut listing could miss the user asked about.
    static std::vector<std::string> DbUsers();
    // The user names of the server manager's lines after the rule, checked as above.
    static std::vector<std::string> WholeUserListing(const std::vector<std::string>& linesAfterRule);

    // The looks. A create's look is Done when the object is there, a drop's when it is gone,
    // NotDone otherwise.
    // The schema is asked for by its own dictionary entry, never read from the schema list,
    // which has no end line: cut short, it would show a schema gone that stands.
    static ChangeLook UserLook(const std::string& user, bool created);
    static ChangeLook SchemaLook(const std::string& schema, bool created);
    // A load of the dump into the schema, looked at after every call, whatever the client's end
    // (the look: LoadLook below). What the schema and the dump held before the load is read
    // first, so that the look compares the schema with the dump as it was loaded; dump is
    // CheckDumpWhole of the dump, made before. run does the load and gives its failure (empty
    // when the client ended well), setting refusalNamed when the client named a refusal (a RIS
    // error block): such a refusal stands unless the look shows the dump's whole effect (every
    // table with its rows, columns, indexes and grants); then the load is done, and its sentence
    // names what the client said. what names the load in the sentence ("the load of ...").
    struct LoadOutcome {
        ChangeOutcome outcome;
        std::string sentence; // DescribeLoad below
        // Done, and the dump held every table the schema holds: the look saw the whole schema.
        bool wholeSchema = false;
    };
    static LoadOutcome LoadAndLook(const std::string& schema, const std::string& dumpFile, DumpWholeness dump,
                                   const std::function<std::string(bool& refusalNamed)>& run,
                                   const std::string& what);

    // The grant of every listed table of each schema to public: Done when each carries a grant
    // to PUBLIC, NotDone when none does, NotKnown otherwise; seen names the tables without one.
    using SchemaTables = std::vector<std::pair<std::string, std::vector<std::string>>>;
    static ChangeLook GrantLook(const SchemaTables& granted);
    // The RIS dictionary clean of a schema. What the clean removes is an entry that points at
    // nothing: the schema's own entry when its database user (the schema's name) is gone, stale
    // entries of dropped tables, which no listing shows. Done when the schema is no longer
    // defined; NotDone when it is still defined although its database user is gone; NotKnown
    // when both stand, seen saying so.
    static ChangeLook CleanLook(const std::string& schema);

private:
    // What a schema and the dump held before a load, so that the look after it compares the
    // schema with the dump as it was loaded and can tell a table the load filled from one that
    // held as many rows already. read is false when the schema could not be read: then no
    // count tells.
    struct LoadBaseline {
        DumpWholeness dump;                 // CheckDumpWhole of the dump before the load
        bool read = false;
        std::vector<DumpTableCount> tables; // the schema's tables with their rows
        // The dump's values, read before the load only when a table of the schema holds as
        // many rows as the dump's (or the schema could not be read); else why not read. What
        // the dump makes besides rows comes with its whole-dump check.
        std::shared_ptr<const SchemaDumpSummary> values;
        std::string valuesProblem;
    };
    // The dump's tables the schema holds, with their rows (none when the server does not know
    // the schema), with the dump's check made before the load (the dump's values read as said
    // above). Never raises.
    static LoadBaseline ReadBeforeLoad(const std::string& schema, const std::string& dumpFile, DumpWholeness dump);

    // What the look after a load found besides its state: set when it found a table of the
    // dump missing, short, different in its columns, an index, a grant or its values, or a view
    // of the dump missing or defined otherwise (else a NotKnown means it could not tell).
    struct LoadFindings {
        bool partial = false;
        bool coversSchema = false; // every table the schema lists is one of the dump's
    };
    // The load of the dump into the schema, looked at after every call: NotDone when the
    // schema's listing answers that the server does not know it (asked directly, never read
    // from the schema list), or the schema holds none of the dump's tables. Else one listing
    // of the schema's definitions (whole or raised) is compared with what the dump makes, for
    // every table whatever its count: its columns, each index with its columns and uniqueness,
    // each grant, and the dump's views; each table of the dump is counted by the server (one
    // run) against the dump's rows. A table with as many rows as the dump that held as many
    // before the load is unloaded with its rows (one run) and compared with the dump value by
    // value: equal counts cannot tell old rows from new. Done when all of it is there; NotKnown
    // otherwise, seen naming each table that is missing, short (with both counts), different
    // in a column, index, grant or its values, each view missing or defined otherwise, or what
    // could not be told. A read that fails raises (the outcome is then not read).
    static ChangeLook LoadLook(const std::string& dumpFile, const std::string& schema, const LoadBaseline& before,
                               LoadFindings* findings = nullptr);
    // The sentence for a load's outcome, worded from what stands, ending with one period:
    //   "<What> was done." / "<What> was done although <failure>; <seen>."
    //   "<What> was not done: <failure>. What stands: <seen>."
    //   "<What> is not whole: <seen>" [" (<failure>)"] "."                 (findings.partial)
    //   "Whether <what> was done is not known: <seen>" ["; <failure>"] "."  (the look could not tell)
    //   as ChangeOutcome::Describe when the look could not read what stands (unread)
    static std::string DescribeLoad(const ChangeOutcome& load, const std::string& what, const LoadFindings& findings);
};
