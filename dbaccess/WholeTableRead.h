// A SELECT on one table of a schema whose rows decide what the caller does: which files a check
// reports missing, which files a restore makes. Its rows are used only when they are all the
// rows the server holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CRIS;
class Recordset;

// As CRIS::DBRead, and in RIS mode checked against a second source: the statement's table is
// unloaded whole, and the dump is used only when it is whole and holds as many rows as the
// server counts (RISCountRows, asked of risbatch). An unload client that leaves rows out and
// still ends well would otherwise hide their findings. The statement, with its WHERE and GROUP
// BY, is then answered from that dump. On a server connection it is DBRead itself. Raises with
// "CRIS::DBRead" at the head of the source; a short read says "The read of <table> of schema
// <schema> is not whole: table '<table>' holds <d> rows in the dump, <s> on the server".
// Inside a WholeTableReads of its schema and table it is answered from that run's dump.
Recordset DBReadWhole(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType);

// CRIS::DBRead, answered from the run's dump inside a WholeTableReads of its schema and table.
Recordset DBReadInRun(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType);

// The table reads of one run (a file check) on one schema, in RIS mode. While it lives, the
// first read of one of the tables its statements name unloads all of them in one risunlod run
// and has the server count them in one risbatch run; that dump, used only when it is whole and
// every table holds the server's count, then answers every statement on those tables, each
// table read once however many statements ask it. The dump goes with the run. A read that
// failed leaves nothing behind, and the next one tries again. Runs nest; a read of another
// schema or table goes its own way.
class WholeTableReads {
public:
    WholeTableReads(CRIS& cris, std::string schema, const std::vector<std::string>& statements);
    ~WholeTableReads();
    WholeTableReads(const WholeTableReads&) = delete;
    WholeTableReads& operator=(const WholeTableReads&) = delete;

    // The innermost run whose schema and tables hold the statement's table, or nullptr.
    static WholeTableReads* Covering(const CRIS& cris, const std::string& schema, const std::string& table);
    // The statement answered from the run's dump, made on the first call.
    Recordset Read(const std::string& sql, int32_t lockType);

private:
    void unloadAndCount();

    CRIS& cris_;
    std::string schema_;
    std::vector<std::string> tables_; // in the order the statements first name them
    std::string dump_;                // empty until a read made it whole
    WholeTableReads* outer_;
};
