// Statements of the Access engine's kinds on SQLite, and their results as recordsets.
#include "platform/ado/JetEngine.h"

#include "platform/AppError.h"
#include "platform/NumberValue.h"
#include "platform/TextUtil.h"

#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

const char* const kTargetSchema = "tw_target";

std::string SqlText(const std::string& text)
{
    return "'" + ReplaceAll(text, "'", "''") + "'";
}

std::string WithoutFinalSemicolon(std::string sql)
{
    sql = TrimWhite(sql);
    while (!sql.empty() && sql.back() == ';')
        sql = TrimWhite(sql.substr(0, sql.size() - 1));
    return sql;
}

// "VARCHAR(21)" gives "VARCHAR" and 21; no length gives 0.
std::string BaseType(const std::string& declared, long& length)
{
    const std::string up = ToUpper(TrimWhite(declared));
    const size_t open = up.find('(');
    length = open == std::string::npos ? 0 : std::atol(up.c_str() + open + 1);
    return TrimWhite(up.substr(0, open));
}

Variant ValueOf(sqlite3_stmt* st, int col, const FieldInfo& field)
{
    const int storage = sqlite3_column_type(st, col);
    if (storage == SQLITE_NULL)
        return Variant::Null();
    auto text = [&]() {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return std::string(p, static_cast<size_t>(sqlite3_column_bytes(st, col)));
    };
    const int type = field.type;
    if (type == adCurrency) {
        // Kept exactly (JetStoredValues): a whole amount, a double that carries its decimals, or
        // the text of an amount of more digits.
        std::optional<long long> amount;
        if (storage == SQLITE_INTEGER)
            amount = ParseCurrencyText(std::to_string(sqlite3_column_int64(st, col)));
        else if (storage == SQLITE_FLOAT)
            amount = CurrencyOfDouble(sqlite3_column_double(st, col));
        else
            amount = ParseCurrencyText(text());
        if (amount)
            return Variant::FromCurrency(*amount);
    }
    if (IsAdoIntegerType(type) || type == adBoolean) {
        long long v = 0;
        if (storage == SQLITE_INTEGER) {
            v = sqlite3_column_int64(st, col);
        } else if (storage == SQLITE_FLOAT) {
            v = static_cast<long long>(std::nearbyint(sqlite3_column_double(st, col)));
        } else if (auto n = NumberValue::Read(text())) {
            // A number beyond 64 bits keeps its digits rather than wrapping round.
            if (!n->whole && std::fabs(n->Real()) >= 9223372036854775808.0 && type != adBoolean)
                return Variant::FromNumber(n->Exact().Rounded(0));
            v = n->whole ? n->i : static_cast<long long>(std::nearbyint(n->Real()));
        } else if (auto d = ParseNumberText(text())) {
            v = static_cast<long long>(std::nearbyint(*d));
        } else {
            return Variant::Null();
        }
        return type == adBoolean ? Variant(v != 0) : Variant(v);
    }
    if (IsAdoFloatType(type)) {
        // Every digit of a number a double does not hold: a whole number of more than 15
        // digits, and one kept as the text of its digits (a wide number of the server, a
        // number of a text table).
        if (storage == SQLITE_INTEGER)
            return Variant::FromNumber(NumberValue{true, sqlite3_column_int64(st, col), 0, std::nullopt});
        if (storage == SQLITE_FLOAT)
            return Variant(sqlite3_column_double(st, col));
        if (std::optional<Variant> n = Variant::FromNumberText(TrimWhite(text())))
            return *n;
        auto n = ParseNumberText(text());
        return n ? Variant(*n) : Variant::Null();
    }
    if (IsAdoDateType(type)) {
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return Variant::FromDate(sqlite3_column_double(st, col));
        auto d = ParseDateText(text());
        return d ? Variant::FromDate(*d) : Variant(text());
    }
    if (storage == SQLITE_FLOAT)
        return Variant(FormatNumberText(sqlite3_column_double(st, col)));
    return Variant(text());
}

} // namespace

JetEngine::JetEngine(const std::string& hostPath, bool create, Dialect dialect) : dialect_(std::move(dialect))
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(hostPath.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        Raise(adoerr::kUnspecified, "Could not find file '" + hostPath + "'. (" + message + ")");
    }
    sqlite3_busy_timeout(db_, 5000);
    JetStoredValues::Register(db_);
}

JetEngine::~JetEngine()
{
    sqlite3_close(db_);
}

void JetEngine::Raise(long number, const std::string& description) const
{
    throw AppError(number, dialect_.errorSource, dialect_.descriptionPrefix + description);
}

void JetEngine::RaiseLastError(const std::string& context) const
{
    const std::string message = sqlite3_errmsg(db_);
    if (JetStoredValues::IsRefusal(message))
        Raise(adoerr::kUnspecified, message);
    if (StartsWithNoCase(message, "no such column"))
        Raise(adoerr::kTooFewParameters, "Too few parameters. Expected 1. (" + message + ")");
    if (StartsWithNoCase(message, "no such table"))
        Raise(adoerr::kObjectNotFound, "The Microsoft Jet database engine cannot find the input table or query '"
                                           + Trim(message.substr(message.find(':') + 1)) + "'.");
    Raise(adoerr::kSyntaxError, message + (context.empty() ? std::string() : " in '" + context + "'"));
}

void JetEngine::Exec(const std::string& sql)
{
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseLastError(sql);
}

bool JetEngine::TableExists(const std::string& schema, const std::string& table)
{
    sqlite3_stmt* raw = nullptr;
    const std::string sql = "SELECT 1 FROM " + schema + ".sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        RaiseLastError();
    StatementPtr st(raw, sqlite3_finalize);
    sqlite3_bind_text(raw, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(raw) == SQLITE_ROW;
}

FieldInfo JetEngine::FieldFromDeclaredType(const std::string& name, const std::string& declaredType) const
{
    long length = 0;
    std::string base = BaseType(declaredType, length);
    if (EndsWithNoCase(base, kAsTextSuffix))
        base.resize(base.size() - std::string_view(kAsTextSuffix).size());
    auto make = [&](int type, long size) { return FieldInfo{name, type, size, adFldIsNullable}; };
    if (base == "SMALLINT" || base == "SHORT" || base == "INTEGER2" || base == "INT2")
        return make(adSmallInt, 2);
    if (base == "INTEGER" || base == "INT" || base == "LONG" || base == "COUNTER" || base == "AUTOINCREMENT"
        || base == "INTEGER4" || base == "INT4")
        return make(adInteger, 4);
    if (base == "BYTE" || base == "TINYINT" || base == "INTEGER1")
        return make(adUnsignedTinyInt, 1);
    if (base == "BIGINT")
        return make(adBigInt, 8);
    if (base == "REAL" || base == "SINGLE" || base == "FLOAT4")
        return make(adSingle, 4);
    if (base == "DOUBLE" || base == "FLOAT" || base == "FLOAT8" || base == "NUMBER" || base == "DOUBLE PRECISION")
        return make(adDouble, 8);
    if (base == "CURRENCY" || base == "MONEY")
        return make(adCurrency, 8);
    if (base == "DECIMAL" || base == "NUMERIC" || base == "DEC")
        return make(adNumeric, 19);
    if (base == "TIMESTAMP")
        return make(adDBTimeStamp, 16);
    if (base == "DATETIME" || base == "DATE" || base == "TIME")
        return make(adDate, 8);
    if (base == "BIT" || base == "BOOLEAN" || base == "YESNO" || base == "LOGICAL")
        return make(adBoolean, 2);
    if (base == "GUID" || base == "UNIQUEIDENTIFIER")
        return make(adGUID, 16);
    if (base == "BINARY" || base == "VARBINARY")
        return make(adVarBinary, length > 0 ? length : 510);
    if (base == "LONGBINARY" || base == "BLOB" || base == "OLEOBJECT" || base == "IMAGE")
        return make(adLongVarBinary, 1073741823);
    if (base == "MEMO" || base == "LONGTEXT" || base == "LONGCHAR" || base == "NOTE" || base == "CLOB")
        return make(dialect_.longTextType, 1073741823);
    return make(dialect_.textType, length > 0 ? length : 255);
}

std::string JetEngine::DeclaredTypeOf(const FieldInfo& f)
{
    switch (f.type) {
    case adSmallInt: case adTinyInt:
        return "SMALLINT";
    case adUnsignedTinyInt:
        return "BYTE";
    case adInteger: case adUnsignedSmallInt:
        return "INTEGER";
    case adUnsignedInt: case adBigInt: case adUnsignedBigInt:
        return "BIGINT";
    case adSingle:
        return "REAL";
    case adDouble:
        return "DOUBLE";
    case adCurrency:
        return "CURRENCY";
    case adDecimal: case adNumeric: case adVarNumeric:
        return "DECIMAL";
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp:
        return "DATETIME";
    case adBoolean:
        return "BIT";
    case adGUID:
        return "GUID";
    case adBinary: case adVarBinary: case adLongVarBinary:
        return "LONGBINARY";
    default:
        break;
    }
    if (f.type != adLongVarChar && f.type != adLongVarWChar && f.definedSize > 0 && f.definedSize <= 255)
        return "TEXT(" + std::to_string(f.definedSize) + ")";
    return "LONGTEXT";
}

Recordset JetEngine::Query(const std::string& sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        RaiseLastError();
    StatementPtr st(raw, sqlite3_finalize);
    const int columns = sqlite3_column_count(raw);
    int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        RaiseLastError();
    Recordset rs;
    rs.SetCursorLocation(adUseClient);
    if (columns == 0) {
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(raw);
        if (rc != SQLITE_DONE)
            RaiseLastError();
        return rs;   // a statement without rows: the recordset stays closed
    }
    for (int c = 0; c < columns; ++c) {
        const char* decl = sqlite3_column_decltype(raw, c);
        const std::string name = sqlite3_column_name(raw, c);
        FieldInfo f;
        if (decl) {
            f = FieldFromDeclaredType(name, decl);
        } else {
            // An expression: its type is that of its first value.
            const int storage = rc == SQLITE_ROW ? sqlite3_column_type(raw, c) : SQLITE_NULL;
            if (storage == SQLITE_INTEGER)
                f = {name, adInteger, 4, adFldIsNullable};
            else if (storage == SQLITE_FLOAT)
                f = {name, adDouble, 8, adFldIsNullable};
            else if (storage == SQLITE_BLOB)
                f = {name, adLongVarBinary, 1073741823, adFldIsNullable};
            else
                f = {name, dialect_.textType, 255, adFldIsNullable};
        }
        rs.Fields().Append(f.name, f.type, f.definedSize, f.attributes);
    }
    rs.Open();
    const std::vector<FieldInfo>& fields = rs.FieldInfos();
    while (rc == SQLITE_ROW) {
        std::vector<Variant> row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.push_back(ValueOf(raw, c, fields[c]));
        rs.AppendRowValues(std::move(row));
        rc = sqlite3_step(raw);
    }
    if (rc != SQLITE_DONE)
        RaiseLastError();
    rs.MoveFirst();
    return rs;
}

Recordset JetEngine::Run(const JetStatement& statement, const std::string& targetDatabaseHostPath)
{
    std::string schema = "main";
    const bool attach = !statement.targetDatabase.empty();
    if (attach) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(targetDatabaseHostPath, ec))
            Raise(adoerr::kUnspecified, "Could not find file '" + statement.targetDatabase + "'.");
        Exec("ATTACH DATABASE " + SqlText(targetDatabaseHostPath) + " AS " + kTargetSchema);
        schema = kTargetSchema;
    }
    struct Detach {
        sqlite3* db;
        bool active;
        ~Detach()
        {
            if (active)
                sqlite3_exec(db, (std::string("DETACH DATABASE ") + kTargetSchema).c_str(), nullptr, nullptr, nullptr);
        }
    } detach{db_, attach};

    const std::string target = schema + "." + JetSqlTranslator::QuoteIdent(statement.targetTable);
    switch (statement.kind) {
    case JetStatement::Kind::SelectInto: {
        if (TableExists(schema, statement.targetTable))
            Raise(adoerr::kSyntaxError, "Table '" + statement.targetTable + "' already exists.");
        const std::string select = WithoutFinalSemicolon(statement.sql);
        Recordset shape = Query("SELECT * FROM (" + select + ") LIMIT 1");
        std::string create = "CREATE TABLE " + target + " (";
        const std::vector<FieldInfo>& fields = shape.FieldInfos();
        for (size_t i = 0; i < fields.size(); ++i)
            create += (i ? ", " : "") + JetSqlTranslator::QuoteIdent(fields[i].name) + " " + DeclaredTypeOf(fields[i]);
        Exec("BEGIN");
        try {
            Exec(create + ")");
            Exec(InsertSql(schema, statement.targetTable, "SELECT * FROM (" + select + ")",
                           attach || dialect_.accessFields));
            Exec("COMMIT");
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        return Recordset();
    }
    case JetStatement::Kind::InsertInto:
        if (!TableExists(schema, statement.targetTable))
            Raise(adoerr::kObjectNotFound, "The Microsoft Jet database engine cannot find the input table or query '"
                                               + statement.targetTable + "'. Make sure it exists and that its name is spelled correctly.");
        Exec(InsertSql(schema, statement.targetTable, WithoutFinalSemicolon(statement.sql),
                       attach || dialect_.accessFields));
        return Recordset();
    case JetStatement::Kind::Select:
    case JetStatement::Kind::Other:
        break;
    }
    if (dialect_.accessFields) {
        if (const std::string table = JetStoredValues::UpdatedTable(statement.sql); !table.empty())
            return Query(JetStoredValues::Update(statement.sql, Columns("main", table)));
    }
    return Query(statement.sql);
}

std::vector<JetStoredValues::Column> JetEngine::Columns(const std::string& schema, const std::string& table)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT name, type FROM pragma_table_info(?1, ?2)", -1, &raw, nullptr) != SQLITE_OK)
        RaiseLastError();
    StatementPtr st(raw, sqlite3_finalize);
    sqlite3_bind_text(raw, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<JetStoredValues::Column> columns;
    while (sqlite3_step(raw) == SQLITE_ROW) {
        const auto text = [&](int c) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
            return p ? std::string(p) : std::string();
        };
        const FieldInfo f = FieldFromDeclaredType(text(0), text(1));
        columns.push_back({f.name, f.type, f.definedSize});
    }
    return columns;
}

std::string JetEngine::InsertSql(const std::string& schema, const std::string& table, const std::string& rest,
                                 bool accessFields)
{
    const std::string target = schema + "." + JetSqlTranslator::QuoteIdent(table);
    if (!accessFields)
        return "INSERT INTO " + target + " " + rest;
    return JetStoredValues::Insert(target, rest, Columns(schema, table));
}
