// What stands in the database after a change of the main window, the script run or the piping
// model restore whose call failed: the reads the change-and-look way runs (does the user
// exist, does the schema exist, which tables and rows does the schema hold), each from an
// answer that is whole or not at all.
#pragma once

#include "dbaccess/DumpWholeCheck.h"
#include "services/ChangeOutcome.h"

#include <string>
#include <utility>
#include <vector>

class StandingState {
public:
    // The database users the server manager lists. Raises when its listing does not end with
    // its own row count line ("no rows selected", "<n> rows selected.") giving as many rows
    // as were listed: a cut listing could miss the user asked about.
    static std::vector<std::string> DbUsers();
    // The user names of the server manager's lines after the rule, checked as above.
    static std::vector<std::string> WholeUserListing(const std::vector<std::string>& linesAfterRule);

    struct SchemaContent {
        std::vector<DumpTableCount> tables; // every table with the rows it holds now
    };
    // The schema's tables as listed and the rows the server counts in each (one client run).
    // Raises when the listing or the counts do not come whole.
    static SchemaContent ReadSchema(const std::string& schema);

    // Compares the tables and rows a dump holds with those a schema holds after a load in
    // "clear" mode: Done when every table of the dump is there with as many rows, else
    // NotKnown; seen names each table that is missing or holds another count of rows.
    static ChangeState CompareLoad(const std::vector<DumpTableCount>& dumped,
                                   const std::vector<DumpTableCount>& standing, std::string& seen);

    // The looks. A create's look is Done when the object is there, a drop's when it is gone,
    // NotDone otherwise.
    // The schema is asked for by its own dictionary entry, never read from the schema list,
    // which has no end line: cut short, it would show a schema gone that stands.
    static ChangeLook UserLook(const std::string& user, bool created);
    static ChangeLook SchemaLook(const std::string& schema, bool created);
    // The load of the dump into the schema: NotDone when the schema does not exist, else
    // CompareLoad of the dump's tables with the schema's.
    static ChangeLook LoadLook(const std::string& dumpFile, const std::string& schema);

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
};
