// A connection of the data-access components: opened with a connection string that selects the
// provider (text-file driver, Access database, Oracle, SQL Server), runs statements, closes.
#pragma once

#include "platform/ado/ConnectionProvider.h"
#include "platform/ado/Recordset.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Connection {
public:
    using ProviderFactory = std::function<std::unique_ptr<ConnectionProvider>(const std::string& connectionString)>;

    Connection();
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    // Opens the provider that the string names:
    //   "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=<folder>\;"   text tables in a folder
    //   "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<file.mdb>;"         an Access database
    //   "Provider=MSDAORA.1;..." / "Driver={SQL Server};..."               the server kinds
    // User and password are those of the string; the arguments are accepted for the original's
    // call form. Raises kProviderNotFound for a string that names no known provider, and what
    // the provider raises.
    void Open(const std::string& connectionString, const std::string& user = {}, const std::string& password = {},
              int options = -1);
    // Raises kObjectClosed on a closed connection.
    Recordset Execute(const std::string& sql, int options = -1);
    // The same, giving the records the statement changed (-1 for a statement that returns rows
    // or a provider that does not count them).
    Recordset Execute(const std::string& sql, long& recordsAffected, int options = -1);
    // A schema rowset of the provider's catalogue: adSchemaTables with the restrictions
    // TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, or adSchemaColumns with TABLE_CATALOG,
    // TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME; an Empty or missing restriction restricts nothing.
    // Raises kObjectClosed on a closed connection, kNotCapable for a provider without one.
    Recordset OpenSchema(int schema, const std::vector<Variant>& restrictions = {});
    void Close();
    int State() const { return provider_ ? adStateOpen : adStateClosed; }
    const std::string& ConnectionString() const { return connectionString_; }
    ProviderKind Kind() const { return kind_; }

    // The provider kind a connection string names; kProviderNotFound when none.
    static ProviderKind KindOf(const std::string& connectionString);
    // The value of one "key=value" item of a connection string (no regard to case in the key;
    // braces around the value removed); empty when absent.
    static std::string Item(const std::string& connectionString, const std::string& key);
    // Puts the factory in place for a kind (the server kinds are served by the stand-in server,
    // which registers itself); nullptr removes it.
    static void RegisterProvider(ProviderKind kind, ProviderFactory factory);

private:
    std::string connectionString_;
    ProviderKind kind_ = ProviderKind::TextDriver;
    std::unique_ptr<ConnectionProvider> provider_;
};
