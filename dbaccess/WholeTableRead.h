// A SELECT on one table of a schema whose rows decide what the caller does: which files a check
// reports missing, which files a restore makes. Its rows are used only when they are all the
// rows the server holds.
#pragma once

#include <cstdint>
#include <string>

class CRIS;
class Recordset;

// As CRIS::DBRead, and in RIS mode checked against a second source: the statement's table is
// unloaded whole, and the dump is used only when it is whole and holds as many rows as the
// server counts (RISCountRows, asked of risbatch). An unload client that leaves rows out and
// still ends well would otherwise hide their findings. The statement, with its WHERE and GROUP
// BY, is then answered from that dump. On a server connection it is DBRead itself. Raises with
// "CRIS::DBRead" at the head of the source; a short read says "The read of <table> of schema
// <schema> is not whole: table '<table>' holds <d> rows in the dump, <s> on the server".
Recordset DBReadWhole(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType);
