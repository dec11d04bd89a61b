// The views of a schema after the column length change dropped and loaded some of its tables:
// a database may drop a table's views with the table, and no load of the changed tables brings
// them back, so the views the backup dump holds and the schema lacks are created again from
// the backup's own lines.
#pragma once

#include <string>
#include <vector>

class SchemaDumpSummary;

struct ViewsAfterReload {
    bool allBack = true;            // every view of the backup stands as the backup defines it
    std::vector<std::string> lines; // one sentence per view created again or still missing
};

// Reads the schema's views, creates each view of the backup that the schema lacks from its line
// in the backup dump (then reads the views again to see it there), and says what stands. A
// backup without views reads nothing. backupDump names the file for the user.
ViewsAfterReload RecreateLostViews(const std::string& schema, const SchemaDumpSummary& backup,
                                   const std::string& backupDump);
