// The part of the column length change that changes the schema: the drop of the changed
// tables, their load from the edited dump and its full comparison, and after any failure the
// restore of the tables the run dropped, told table by table.
#pragma once

#include "dbaccess/SchemaDumpSummary.h"

#include <cstdint>
#include <string>
#include <vector>

// Room for a client's output beside each copy of the changed tables in the temporary folder.
constexpr uint64_t kCharColumnClientOutputRoom = 16 * 1024;

// The exact size of a dump in bytes, for the rooms the loads ask; 0 when it cannot be measured.
uint64_t CharColumnDumpBytes(const std::string& path);

class SchemaChangeMark;
class TempRoom;
class WorkFiles;

struct CharColumnReloadPlan {
    std::string schema;
    std::vector<std::string> tables; // the changed tables, in the order they are dropped
    std::string backupDump;          // the kept backup, named to the user
    std::string editedDump;          // the changed tables with their new lengths
    SchemaDumpSummary expectedNew;   // what the reloaded tables must hold
    std::string restoreDump;         // the changed tables as they were
    SchemaDumpSummary expectedOld;   // what the restored tables must hold
    std::string tempFolder;          // where the loads copy their dumps (the rooms are held there)
    WorkFiles* workFiles = nullptr;  // the run's work files, the restore dump among them
    SchemaChangeMark* mark = nullptr; // the schema's mark, told each step before it begins
};

// The room the loads need in the temporary folder, held before the first drop: the reload's
// is given up just before the reload, the restore's only when the restore begins (or the run
// ends), so that a folder another program fills meanwhile cannot take the way back.
struct ReloadRooms {
    TempRoom& reload;
    TempRoom& restore;
};

// Drops the tables, gives back the reload's room, loads them from the edited dump and compares
// them with what they must hold, then creates again the views the drop took with them. Every
// DROP and load, whatever its client said, is followed by a read of the schema (the
// change-and-look way): only a change found done lets the run go on, also after a client that
// failed. On any failure once a drop was tried, the
// restore's room is given back, the tables the run dropped are loaded again from the restore
// dump and, whatever the load's client said, unloaded again and compared whole with the backup
// (columns, rows, values, indexes and grants; only counted by the server when they cannot be
// unloaded), the lost views are created again, and the error raised says what failed (a full
// temporary folder named as such), which tables are back as they were, which are back otherwise
// (what differs), which are lost (their restore dump then kept and named beside the backup),
// which were never dropped, and which views are back or still missing. The mark says before the
// first drop which tables the run drops and that the schema is not whole until their reload or
// restore has been read; tables that are not back as they were leave it standing.
void ReloadChangedTables(const CharColumnReloadPlan& plan, ReloadRooms rooms);
