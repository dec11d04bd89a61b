// RISDumpCreate: a RIS dump file written from tables of an Access database, for the RIS load
// client.
#include "dbaccess/CRIS.h"

#include "dbaccess/DbBase.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/DumpWriteLeftovers.h"
#include "dbaccess/DumpWriter.h"
#include "dbaccess/SchemaStatements.h"
#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const char* kOwn = "RISDumpCreate";
// The longest character column the RIS load client takes.
constexpr long kMaxCharLength = 240;
// Rows written between two turns of the event pump.
constexpr long kRowsPerSlice = 50000;

std::string Template(const std::string& text, const std::string& arg)
{
    return ReplaceAll(text, "%0%", arg);
}

// The RIS type of a column and, for a character column, the longest value it takes (0 for
// numbers). Values are written in their text form, so a date, Boolean or currency column is as
// wide as that form. A text column is one narrower than its defined size: a dump table read
// into Access gets its char(n) columns one wider (n + 1) as text table fields, so without the
// step back every dump -> Access -> dump pass would widen them.
DumpColumn RisColumnOf(const FieldInfo& f, long& charLength)
{
    charLength = 0;
    switch (f.type) {
    case adSmallInt: case adTinyInt: case adUnsignedTinyInt: case adUnsignedSmallInt:
        return {f.name, "smallint"};
    case adInteger: case adUnsignedInt: case adBigInt: case adUnsignedBigInt: case adNumeric:
        return {f.name, "int"};
    case adSingle: case adDouble: case adDecimal: case adVarNumeric:
        return {f.name, "double"};
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp:
        charLength = 19; // "yyyy-mm-dd hh:nn:ss"
        break;
    case adBoolean:
        charLength = 5; // "False"
        break;
    case adCurrency:
        charLength = 24;
        break;
    case adGUID:
        charLength = 38; // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
        break;
    default:
        if (!IsAdoDataTypeString(static_cast<int16_t>(f.type)) || f.definedSize <= 0 || f.definedSize >= 255)
            charLength = kMaxCharLength;
        else // a Text(1) still takes its one character
            charLength = std::clamp(f.definedSize - 1, 1L, kMaxCharLength);
        break;
    }
    return {f.name, "char(" + std::to_string(charLength) + ")"};
}

// The range of a whole-number RIS type; false for any other type.
bool WholeRange(const std::string& risType, long long& low, long long& high)
{
    if (risType == "smallint")
        low = -32768, high = 32767;
    else if (risType == "int")
        low = -2147483648LL, high = 2147483647LL;
    else
        return false;
    return true;
}

std::string Bracketed(const std::string& name)
{
    return "[" + name + "]";
}

// What a file error says, with the dump it is about named when the text does not name it yet.
AppError NamingDump(const AppError& e, const std::string& dumpFile)
{
    if (e.description().find(dumpFile) != std::string::npos)
        return e;
    return AppError(e.number(), e.source(), e.description() + " '" + dumpFile + "'");
}

// Differences between the tables and rows written and those the written dump reads back with.
std::string ReadBackDifferences(const std::vector<DumpTableCount>& written, const DumpWholeness& read)
{
    if (!read.Whole())
        return read.problem;
    std::vector<std::string> differences;
    for (size_t t = 0; t < std::max(written.size(), read.tables.size()); ++t) {
        const std::string wrote = t < written.size() ? "table '" + written[t].table + "' with " +
                                                           std::to_string(written[t].rows) + " rows"
                                                     : std::string("no table");
        const std::string reads = t < read.tables.size() ? "table '" + read.tables[t].table + "' with " +
                                                               std::to_string(read.tables[t].rows) + " rows"
                                                         : std::string("no table");
        if (wrote != reads)
            differences.push_back("block " + std::to_string(t + 1) + " was written as " + wrote + " and reads as " +
                                  reads);
    }
    return Join(differences, "; ");
}

} // namespace

void CRIS::RISDumpCreate(const std::string& dumpFile, const std::string& schema, const std::string& accessDatabase,
                         const std::vector<std::string>& tables, const OptionalNames& whereClauses,
                         bool indexAndGrant)
{
    bool fileOpened = false;
    std::string part;
    // Taken out only once the part is gone or in the dump's place.
    std::optional<RunMark> mark;
    try {
        const size_t slash = dumpFile.rfind('\\');
        const std::string dir = slash == std::string::npos ? std::string() : Trim(dumpFile.substr(0, slash + 1));
        if (!IsFileExists(dir, 1))
            RaiseError("", Template("Directory: '%0%' not exists", dir));
        if (!IsFileExists(accessDatabase, 0))
            RaiseError("", Template("Access Database: '%0%' not exists", accessDatabase));
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckStatementName("Schema name", schema);
        // The dump would take the place of the database while it is read (a link, another
        // letter case or another path to one file included).
        if (HostSameFile(dumpFile, accessDatabase))
            RaiseError("", "The dump file '" + dumpFile + "' is the Access database '" + accessDatabase +
                               "' it is written from: nothing was written, the database is as it was");
        // The dump is replaced through a link onto the file it names; a folder, a read-only or
        // locked dump or one that is not a file at all is refused before anything is written.
        if (HostFolderExists(dumpFile))
            throw AppError(kErrFileExists, "", "File already exists '" + dumpFile + "'");
        std::optional<ReplacementFile> target;
        try {
            target.emplace(dumpFile);
        } catch (const AppError& e) {
            throw NamingDump(e, dumpFile);
        }
        // The part file is written beside the dump (the file a link names) under a name of its
        // own and put in its place by one rename, only when whole: a failure leaves the dump that
        // was there as it was. The mark names the part before it exists, so that a writer killed
        // meanwhile leaves it to the next start to remove; a second writer of this dump is
        // refused by the first one's name.
        const std::string& targetHost = target->target();
        part = DumpWritePartName(targetHost);
        const std::string what = "the writing of the dump '" + dumpFile + "' from '" + accessDatabase + "'";
        mark.emplace(DumpWriteMarkObject(targetHost), RunMark::Fields{{"what", what}, {"part", part}});
        if (!mark->held())
            RaiseError("", Capitalised(what) + " was not started: " + RunMark::RunningText(mark->Holder()) +
                               " is under way on that dump; nothing was changed");
        if (!mark->Left().empty())
            RemoveDumpWritePart(targetHost, RunMark::Field(mark->Left(), "part"));

        std::optional<Connection> conn;
        conn.emplace();
        struct Release {
            std::optional<Connection>& c;
            ~Release() { WaitForMdbUnlock(c, false); }
        } release{conn};
        conn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + accessDatabase + ";", "", "", -1);

        DumpWriter writer(part);
        fileOpened = true;
        writer.WriteDefaultSchemaLine(Trim(schema));
        std::vector<std::string> indexColumns;
        std::vector<DumpTableCount> written;
        for (size_t t = 0; t < tables.size(); ++t) {
            const std::string& table = tables[t];
            if (IsBlank(table))
                RaiseError("", "Table name not defined");
            CheckStatementName("Table name", table);
            if (whereClauses && t >= whereClauses->size())
                RaiseError("", Template("Row condition not defined for table '%0%'", table));

            Recordset layout;
            layout.SetCursorLocation(adUseClient);
            layout.Open("SELECT * FROM " + Bracketed(table) + " WHERE(1 = 0);", *conn, adOpenStatic, adLockOptimistic,
                        adCmdText);
            std::vector<DumpColumn> columns;
            std::vector<long> charLengths;
            std::vector<std::string> selectList;
            for (const FieldInfo& f : layout.FieldInfos()) {
                long length = 0;
                columns.push_back(RisColumnOf(f, length));
                charLengths.push_back(length);
                selectList.push_back(Bracketed(f.name));
            }
            layout.Close();
            if (columns.empty())
                RaiseError("", Template("Table '%0%' has no columns", table));

            std::string query = "SELECT " + Join(selectList, ", ") + " FROM " + Bracketed(table);
            if (whereClauses)
                query += " WHERE " + (*whereClauses)[t];
            query += ";";
            Recordset rows;
            rows.SetCursorLocation(adUseClient);
            rows.Open(query, *conn, adOpenStatic, adLockOptimistic, adCmdText);

            writer.BeginTable(table, columns);
            DumpRow row(columns.size());
            long rowNumber = 0;
            if (rows.RecordCount() != 0) {
                for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
                    ++rowNumber;
                    for (size_t c = 0; c < columns.size(); ++c) {
                        const Variant v = rows.Fields()[static_cast<int>(c)].Value();
                        if (v.IsNull() || v.IsEmpty()) {
                            row[c].reset();
                            continue;
                        }
                        // The token that once carried quotes through the text export
                        // stands for a single quote in any value.
                        row[c] = ReplaceAll(v.ToText(), "_SINGLE_QUOTE_CHAR_", "'");
                        // A longer value would be cut or refused by the load client: say so
                        // instead of writing a dump that does not load whole.
                        if (charLengths[c] > 0 && static_cast<long>(row[c]->size()) > charLengths[c])
                            RaiseError("", "Value of column '" + columns[c].name + "' in row " +
                                               std::to_string(rowNumber) + " of table '" + table + "' is longer than " +
                                               std::to_string(charLengths[c]) + " characters");
                        // A whole number beyond its RIS type, which the load client would refuse
                        // (a file written before its engine kept its fields' ranges may hold one).
                        long long low = 0, high = 0;
                        const std::optional<double> n = v.AsNumber();
                        if (WholeRange(columns[c].type, low, high) && n && std::isfinite(*n) &&
                            (*n < static_cast<double>(low) || *n > static_cast<double>(high)))
                            RaiseError("", "Value " + *row[c] + " of column '" + columns[c].name + "' in row " +
                                               std::to_string(rowNumber) + " of table '" + table +
                                               "' lies beyond the range of " + columns[c].type + " (" +
                                               std::to_string(low) + " to " + std::to_string(high) + ")");
                    }
                    // The writer refuses, naming it, a value that would not read back.
                    writer.WriteRow(row);
                    if (rowNumber % kRowsPerSlice == 0)
                        DoEvents();
                }
            }
            writer.EndTable();
            written.push_back({table, static_cast<uint64_t>(rowNumber)});
            indexColumns.push_back(columns.front().name);
            rows.Close();
        }
        if (indexAndGrant) {
            for (size_t t = 0; t < tables.size(); ++t)
                writer.WriteIndexLine(tables[t], indexColumns[t]);
            for (const std::string& table : tables)
                writer.WriteGrantLine(table);
        }
        writer.Finish();
        // Put in place only when it reads back as written: every table block closed, with the
        // rows written.
        if (const std::string differences = ReadBackDifferences(written, CheckDumpWhole(part)); !differences.empty())
            RaiseError("", "The dump written for '" + dumpFile + "' does not read back as written (" + differences +
                               "); the file that was there stays as it was");
        try {
            target->Adopt(HostPath(part));
            target->Commit();
        } catch (const AppError& e) {
            throw NamingDump(e, dumpFile);
        }
    } catch (const AppError& e) {
        if (fileOpened) {
            const FileOpError saved = SaveFileOpError();
            DeleteFileA(part, false);
            RestoreFileOpError(saved);
        }
        throw PassOn(e, kOwn);
    }
}
