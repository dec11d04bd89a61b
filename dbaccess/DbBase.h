// Closing and releasing recordsets and connections, and reading field values past Null.
#pragma once

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"

#include <optional>

// Closes the recordset when it is open and releases it; with createNew a new, empty recordset
// takes its place. Never throws.
void CloseRecordset(std::optional<Recordset>& rs, bool createNew);

// Empty for Null, else the value unchanged.
Variant GetDBvalue(const Variant& value);

// Closes the connection when it is open and releases it; with wait, then waits (running
// events, in 100 ms steps, up to 60000 ms) while the lock file (".ldb") of its Access data
// source exists. Never throws.
void WaitForMdbUnlock(std::optional<Connection>& conn, bool wait);
