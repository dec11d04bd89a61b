// The proof a backup dump must pass before the column length change drops a table: it holds
// every table of the schema with the row count the server gives. That it is whole the unload
// proved before it wrote the file (CRIS::RISUnload).
#pragma once

#include <string>
#include <vector>

// What keeps the backup dump of the schema from being trusted, one text per difference
// ("pdtable_34_2 is not in the dump", "pdtable_34_1 holds 3
// rows on the server, 1 in the dump", "t9 is in the dump but not in the schema"); empty when
// it can be trusted. The tables are the schema's as the server lists them now; each is
// counted with "SELECT count(*)". Raises the errors of those queries.
std::vector<std::string> BackupDumpDifferences(const std::string& dumpFile, const std::string& schema,
                                               const std::vector<std::string>& tables);

// Sets a backup dump that was not found whole aside under "<dump>.refused", in the backup folder
// still, where no restore takes it for a backup; says what became of it ("it was kept as
// '...'", or why it could not be and that it must not be loaded).
std::string SetAsideRefusedBackup(const std::string& dumpFile);
