// What the load client checks before and while it loads a dump: that the dump is whole (the
// system's one whole-dump check), that it holds each table once and every table the request
// names, and that a data row's text is exactly what its values give in the block's layout,
// so that a cut, foreign or doubled file is never loaded as a whole dump.
#pragma once

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWholeCheck.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaTables.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class DumpLoadCheck {
public:
    // Whether the row's fields line up with the columns: in the variable layout the values
    // written back give the line itself (quoted[i]: column i holds character data); in the
    // fixed layout every character that is not a blank stands inside a field.
    static bool RowMatchesColumns(std::string_view line, const DumpRow& values, DumpLayout layout,
                                  const std::vector<bool>& quoted, const std::vector<DumpFixedField>& fields);

    // Reads the dump (Windows path) once through the whole-dump check and raises, before
    // anything is loaded, RIS_E_BAD_DUMP_FILE for a dump that is not whole (a table block
    // twice or a block's head the load does not read included), and RIS_E_UNKNOWN_RELATION for
    // a table the request names that the dump lacks. Returns the table blocks with their row
    // counts.
    static std::vector<DumpTableCount> CheckBeforeLoad(const std::string& dumpFile, const RisTransferRequest& request);

    // Whether the file's lines end with a carriage return alone: it holds carriage returns and
    // no line feed, so that every reader takes it for one line.
    static bool HasOnlyCarriageReturnLineEnds(const std::string& dumpFile);

    // Raises RIS_E_BAD_TEXT_FILE naming the line when the item's line holds a NUL byte: every
    // text road of the system ends a value there, so its value is loaded neither cut nor whole.
    static void RefuseNul(const std::string& dumpFile, const DumpItem& item);

    // What stands otherwise than the dump declares of a table it loads into as it stands: each
    // column the create-table line declares NOT NULL that the standing table lets hold NULL, with
    // the number of its rows that hold NULL there (nullRows of the column). Empty when the
    // table refuses NULL wherever the dump does.
    static std::string NotNullFault(const std::vector<DumpColumn>& declared, const std::vector<RisColumn>& standing,
                                    const std::function<long long(const std::string&)>& nullRows);

    // Raises RIS_E_BAD_DUMP_FILE naming the file and the reason.
    [[noreturn]] static void Refuse(const std::string& dumpFile, const std::string& reason);
};
