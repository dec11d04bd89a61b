// Runs translated statements on an SQLite database the way the Access database engine runs
// them, and turns their results into recordsets with the engine's field types.
#pragma once

#include "platform/ado/JetSqlTranslator.h"
#include "platform/ado/Recordset.h"

#include <string>

struct sqlite3;

class JetEngine {
public:
    struct Dialect {
        std::string errorSource;         // Source of the raised errors
        std::string descriptionPrefix;   // put before every description ("[Microsoft][ODBC Text Driver] ")
        int textType = adVarWChar;       // field type of text columns
        int longTextType = adLongVarWChar;
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
    // (a host path; it must exist).
    Recordset Run(const JetStatement& statement, const std::string& targetDatabaseHostPath = {});

    // Raises the SQLite error of the last call as the engine's error.
    [[noreturn]] void RaiseLastError(const std::string& context = {}) const;
    [[noreturn]] void Raise(long number, const std::string& description) const;

    // The field a declared column type stands for ("SMALLINT", "VARCHAR(21)", "DATETIME", ...).
    FieldInfo FieldFromDeclaredType(const std::string& name, const std::string& declaredType) const;
    // The declared type a field gets in a table made by SELECT ... INTO.
    static std::string DeclaredTypeOf(const FieldInfo& field);

private:
    Recordset Query(const std::string& sql);
    void Exec(const std::string& sql);
    bool TableExists(const std::string& schema, const std::string& table);

    sqlite3* db_ = nullptr;
    Dialect dialect_;
};
