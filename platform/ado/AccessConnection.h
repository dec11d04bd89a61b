// An Access database: an SQLite file at the database's path, on which statements in the
// Access engine's spelling run.
#pragma once

#include "platform/ado/ConnectionProvider.h"
#include "platform/ado/JetEngine.h"

#include <string>

class AccessConnection : public ConnectionProvider {
public:
    // Opens the database at the Windows path; raises kUnspecified "Could not find file" when
    // it does not exist.
    explicit AccessConnection(const std::string& databasePath);

    // SELECT, SELECT ... INTO, INSERT INTO, CREATE TABLE, DROP TABLE, UPDATE, DELETE.
    Recordset Execute(const std::string& sql) override;

    // Makes an empty database at the Windows path (as the catalogue's Create does); raises
    // when the file exists already or cannot be made.
    static void CreateDatabase(const std::string& databasePath);

private:
    JetEngine engine_;
};
