// The unload of the stand-in RIS client: writes the tables of a schema as the request asks
// into a dump file in the system's format: the "create schema " line, per table its
// definition and (with data) its rows in the variable or fixed layout, then views (each after
// the views it reads), indexes, the grants of the tables and then those of the views, then the
// end-of-schema line.
#pragma once

#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"

#include <string>

class SchemaUnloader {
public:
    explicit SchemaUnloader(RisSession& session) : session_(session) {}

    // Checks the whole request first (schema, tables, row conditions), then writes the dump
    // beside the Windows path dumpFile and puts it in place only when it is whole: after any
    // failure the file at dumpFile is as it was. A symbolic link is followed (the file it names
    // is replaced, keeping its mode); a read-only file or one that is no regular file is refused. Appends progress lines to console. Raises
    // the RIS error that stops the unload (unknown schema or table, a condition that is not a
    // filter of its table's rows, a value a dump cannot carry, a file that cannot be written).
    void Unload(const RisTransferRequest& request, const std::string& dumpFile, std::string& console);

private:
    RisSession& session_;
};
