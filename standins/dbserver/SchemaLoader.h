// The load of the stand-in RIS client: reads a dump in the system's format and puts its
// tables, rows, views, indexes and grants into a schema. "clear" replaces tables that exist,
// "new" refuses them, no mode word appends to them. Rows that do not fit their table go to
// the bad file. The whole load is one transaction, the grants it makes or drops with it: it is
// committed only when the dump has proved whole, so a cut or foreign file leaves every table as
// it was, and a load ended at any moment leaves tables and grants agreeing.
#pragma once

#include "platform/AppError.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"

#include <string>

class LockedOutputFile;

struct LoadCounts {
    long tables = 0;
    long long rowsLoaded = 0;
    long long rowsRejected = 0;
    int errors = 0; // RIS errors reported (rejected rows, index failures, lines not understood)
};

class SchemaLoader {
public:
    // badFile and log may be null. console receives progress lines and the framed block of
    // every RIS error; log receives the same progress lines.
    SchemaLoader(RisSession& session, LockedOutputFile* badFile, LockedOutputFile* log)
        : session_(session), bad_(badFile), log_(log)
    {
    }

    // Loads the dump (Windows path). An empty request schema takes the dump's schema line.
    // A table, index, view or grant that fails is reported and passed over; a line the load
    // does not understand is reported. Raises, with everything undone, the RIS error that
    // stops the whole load: before it begins, a dump that is not whole (the system's
    // whole-dump check), holds a table twice or lacks a table the request names; during it,
    // an unknown schema, a bad file or log that cannot be written, a fault of the database
    // (a full disk) and a dump that changed since it was checked. The error says what the
    // database holds afterwards.
    LoadCounts Load(const RisTransferRequest& request, const std::string& dumpFile, std::string& console);

private:
    RisSession& session_;
    LockedOutputFile* bad_;
    LockedOutputFile* log_;
};
