// The Oracle and SQL Server branches of statements and catalogue: statements and the schema
// rowsets of tables and columns over a connection of the object's own connection string.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/SchemaStatements.h"
#include "dbaccess/ServerSession.h"
#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"

#include <cctype>

namespace {

const std::string kNul(1, '\0');

// One call's connection, closed and released however the call ends (no wait for a lock file).
class CallConnection {
public:
    explicit CallConnection(const std::string& connectString)
    {
        conn_.emplace();
        conn_->Open(connectString, "", "", -1);
    }
    ~CallConnection() { WaitForMdbUnlock(conn_, false); }
    CallConnection(const CallConnection&) = delete;
    CallConnection& operator=(const CallConnection&) = delete;

    Connection& operator*() { return *conn_; }
    Connection* operator->() { return &*conn_; }

private:
    std::optional<Connection> conn_;
};

// A cached list: the names joined by NUL; the empty text is the empty list.
std::vector<std::string> CachedList(const std::string& value)
{
    return value.empty() ? std::vector<std::string>() : Split(value, kNul);
}

// RIS keeps its own dictionary in tables named "RI" + two digits + "_T" + two digits.
bool IsRisDictionaryTable(const std::string& name)
{
    auto digit = [&](size_t i) { return std::isdigit(static_cast<unsigned char>(name[i])) != 0; };
    return name.size() == 8 && name.compare(0, 2, "RI") == 0 && digit(2) && digit(3) && name.compare(4, 2, "_T") == 0 &&
           digit(6) && digit(7);
}

// The lower-cased names of one column of a schema rowset, in the order the rowset gives them.
std::vector<std::string> SchemaNames(Connection& conn, int32_t kind, int schema, const std::vector<Variant>& restrictions,
                                     const std::string& field)
{
    if (kind == CRIS::kConSQLServer)
        conn.Execute("REVERT");
    std::optional<Recordset> rs;
    std::vector<std::string> names;
    try {
        rs.emplace(conn.OpenSchema(schema, restrictions));
        if (!rs->BOF() && !rs->Eof()) {
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
                const Variant value = rs->Fields()[field].Value();
                if (value.IsNull())
                    continue;
                const std::string name = value.ToText();
                if (schema == adSchemaTables && IsRisDictionaryTable(name))
                    continue;
                names.push_back(ToLower(name));
            }
        }
    } catch (...) {
        CloseRecordset(rs, false);
        throw;
    }
    CloseRecordset(rs, false);
    return names;
}

Variant SchemaRestriction(const std::string& schema)
{
    return IsBlank(schema) ? Variant() : Variant(schema);
}

} // namespace

int32_t CRIS::ADOWrite(const std::string& schema, const std::string& sql)
{
    try {
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        const int32_t kind = GetDBConType();
        // The Oracle schema goes into the statement as a bare name: refused before connecting.
        if (kind == kConOracle && !IsBlank(schema))
            CheckStatementName("Schema name", schema);
        CallConnection conn(ConnectString);
        EnterServerSession(*conn, kind, schema);
        int32_t sum = 0;
        for (std::string piece : Split(sql, "\r\n")) {
            if (IsBlank(piece))
                continue;
            if (piece.back() == ';')
                piece.pop_back();
            long affected = 0;
            conn->Execute(piece, affected, -1);
            // A statement that returns rows or changes none reports no count of its own.
            if (affected > 0)
                sum += static_cast<int32_t>(affected);
        }
        if (kind == kConOracle)
            conn->Execute("commit");
        return sum;
    } catch (const AppError& e) {
        throw AppError(e.number(), ComposeErrorSource("CRIS::ADOWrite", 0, e.source()),
                       ReplaceAll(e.description(), "\n", ""));
    }
}

std::vector<std::string> CRIS::ADOGetTables(const std::string& schema, bool refresh)
{
    return WithErrorSource("CRIS::ADOGetTables", [&] {
        const std::string key = "k_" + schema;
        if (!refresh) {
            const auto hit = adoTableCache_.find(key);
            if (hit != adoTableCache_.end())
                return CachedList(hit->second);
        }
        const int32_t kind = GetDBConType();
        CallConnection conn(ConnectString);
        std::vector<std::string> tables = SchemaNames(
            *conn, kind, adSchemaTables, {Variant(), SchemaRestriction(schema), Variant(), Variant("TABLE")},
            "TABLE_NAME");
        adoTableCache_[key] = Join(tables, kNul);
        return tables;
    });
}

std::vector<std::string> CRIS::ADOGetCols(const std::string& schema, const std::string& table, bool refresh)
{
    return WithErrorSource("CRIS::ADOGetCols", [&] {
        const std::string key = "k_" + schema + "|" + table;
        if (!refresh) {
            const auto hit = adoColumnCache_.find(key);
            if (hit != adoColumnCache_.end())
                return CachedList(hit->second);
        }
        const int32_t kind = GetDBConType();
        CallConnection conn(ConnectString);
        std::vector<std::string> columns = SchemaNames(
            *conn, kind, adSchemaColumns, {Variant(), SchemaRestriction(schema), Variant(table)}, "COLUMN_NAME");
        adoColumnCache_[key] = Join(columns, kNul);
        return columns;
    });
}
