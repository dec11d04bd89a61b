// Runs translated statements on an SQLite database the way the Access database engine runs
// them, and turns their results into recordsets with the engine's field types.
#pragma once

#include "platform/ado/JetSqlTranslator.h"
#include "platform/ado/JetStoredValues.h"
#include "platform/ado/Recordset.h"

#include <string>
#include <vector>

struct sqlite3;

class JetEngine {
public:
    struct Dialect {
        std::string errorSource;         // Source of the raised errors
        std::string descriptionPrefix;   // put before every description ("[Microsoft][ODBC Text Driver] ")
        int textType = adVarWChar;       // field type of text columns
        int longTextType = adLongVarWChar;
        // Whether the database is an Access database, whose fields keep values as its engine
        // does (JetStoredValues). A database named by an IN clause always is one.
        bool accessFields = false;
    };

    // Opens the SQLite file at the host path (":memory:" for a database in memory); `create`
    // makes a missing file.
    JetEngine(const std::string& hostPath, bool create, Dialect dialect);
    ~JetEngine();
    JetEngine(const JetEngine&) = delete;
    JetEngine& operator=(const JetEngine&) = delete;

    sqlite3* Handle() const { return db_; }

    // Runs one statement: a SELECT gives an open recordset, anything else a closed one.
    // SELECT ... INTO creates the target table from the result's fields (raising when it
    // exists); INSERT INTO appends to an existing one; both in the IN database when named
    // (a host path; it must exist). Into an Access database every value is stored as its field
    // keeps it, also by an UPDATE, or the statement is refused with the engine's text.
    Recordset Run(const JetStatement& statement, const std::string& targetDatabaseHostPath = {});

    // Raises the SQLite error of the last call as the engine's error.
    [[noreturn]] void RaiseLastError(const std::string& context = {}) const;
    [[noreturn]] void Raise(long number, const std::string& description) const;

    // The field a declared column type stands for ("SMALLINT", "VARCHAR(21)", "DATETIME", ...).
    // A type with kAsTextSuffix ("DOUBLE_AS_TEXT") stands for the field of the type before it: a
    // number column whose values are kept as the text of their digits (TextTableLoader).
    FieldInfo FieldFromDeclaredType(const std::string& name, const std::string& declaredType) const;
    static constexpr const char* kAsTextSuffix = "_AS_TEXT";
    // The declared type a field gets in a table made by SELECT ... INTO.
    static std::string DeclaredTypeOf(const FieldInfo& field);

private:
    Recordset Query(const std::string& sql);
    void Exec(const std::string& sql);
    bool TableExists(const std::string& schema, const std::string& table);
    // The columns of a table with the fields they stand for.
    std::vector<JetStoredValues::Column> Columns(const std::string& schema, const std::string& table);
    // "INSERT INTO target rest", with the values stored as the fields keep them when the target
    // lies in an Access database.
    std::string InsertSql(const std::string& schema, const std::string& table, const std::string& rest,
                          bool accessFields);

    sqlite3* db_ = nullptr;
    Dialect dialect_;
};
