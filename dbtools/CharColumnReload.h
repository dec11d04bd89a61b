// The part of the column length change that changes the schema: the drop of the changed
// tables, their load from the edited dump and its full comparison, and after any failure the
// restore of the tables the run dropped, told table by table.
#pragma once

#include "dbtools/SchemaDumpSummary.h"

#include <string>
#include <vector>

class TempRoom;

struct CharColumnReloadPlan {
    std::string schema;
    std::vector<std::string> tables; // the changed tables, in the order they are dropped
    std::string backupDump;          // the kept backup, named to the user
    std::string editedDump;          // the changed tables with their new lengths
    SchemaDumpSummary expectedNew;   // what the reloaded tables must hold
    std::string restoreDump;         // the changed tables as they were
    SchemaDumpSummary expectedOld;   // what the restored tables must hold
};

// Drops the tables, gives back the room held for the loads' copies, loads them from the
// edited dump and compares them (and the schema's views) with what they must hold. On any
// failure once a drop was tried, the tables the run dropped are loaded again from the restore
// dump and compared with the backup, and the error raised says what failed, which tables are
// back as they were, which are lost (and where their rows are kept), and which were never
// dropped.
void ReloadChangedTables(const CharColumnReloadPlan& plan, TempRoom& room);
