// The database access object: connection kind, RIS client directory, private work directory,
// and every database operation of the program (RIS clients, Oracle and SQL Server connections).
#pragma once

#include "dbaccess/RISListing.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbaccess/UnloadExtras.h"
#include "platform/TextUtil.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class NumberFormatRecord;
class Recordset;

// A list argument that may be left out ("all tables", "no row conditions"). One name is a
// list of one.
using OptionalNames = std::optional<std::vector<std::string>>;

class CRIS {
public:
    // Connection kinds of GetDBConType.
    static constexpr int32_t kConNotSet = -1;
    static constexpr int32_t kConRIS = 0;
    static constexpr int32_t kConOracle = 1;
    static constexpr int32_t kConSQLServer = 2;

    CRIS();  // ConType := -1; nothing is looked for yet
    ~CRIS(); // removes the work directory (never the TEMP folder itself); never throws
    CRIS(const CRIS&) = delete;
    CRIS& operator=(const CRIS&) = delete;

    // --- configuration ---
    void SetUseOra(const std::string& server, const std::string& user, const std::string& password);
    // An empty user means Windows authentication.
    void SetUseSQL(const std::string& server, const std::string& database, const std::string& user,
                   const std::string& password);
    // An empty risPath searches the registry for the RIS clients.
    void SetUseRIS(const std::string& risPath);
    // Never kConNotSet on return: an unset kind becomes RIS.
    int32_t GetDBConType();
    // The RIS client directory, ending in "\", searched when not yet known.
    std::string GetRISPath();
    // The object's work directory, ending in "\", made when not yet there.
    std::string GetTempDir();
    // Removes the work directory when nothing is in it (a run that needed none of its files),
    // so that the next GetTempDir makes another; a directory with files stays.
    void RemoveEmptyTempDir();

    // --- queries and statements ---
    // A SELECT as a disconnected client-side recordset; lockType as ADO numbers it (callers pass 3).
    Recordset DBRead(const std::string& schema, const std::string& sql, int32_t lockType);
    // Runs data-changing statements (several separated by ";" and line ends). The records
    // affected: in RIS mode as the client's output counts them, -1 when it counts none.
    int32_t DBWrite(const std::string& schema, const std::string& sql);

    // --- catalogue (cached per object; refresh reads anew) ---
    std::vector<std::string> DBGetTables(const std::string& schema, bool refresh);
    // withTypes (RIS only): each entry is name, blank, type, and " not null" for a column that
    // refuses NULL (read one by DumpFormat::ParseColumnEntry).
    std::vector<std::string> DBGetCols(const std::string& schema, const std::string& table, bool withTypes,
                                       bool refresh);
    bool IsTableExists(const std::string& schema, const std::string& table, bool refresh);
    bool IsColumnExists(const std::string& schema, const std::string& table, const std::string& column,
                        bool refresh);

    // --- connection tests: return normally when a connection could be opened ---
    void ORAConnTest(const std::string& server, const std::string& user, const std::string& password);
    void SQLConnTest(const std::string& server, const std::string& database, const std::string& user,
                     const std::string& password);

    void DBImport2Access(const std::string& schema, const std::string& sql, const std::string& databasePath,
                         const std::string& table, bool append);

    // --- RIS dictionary ---
    // onlyProjects: only project schemas, named without their "pd_" prefix.
    std::vector<std::string> RISGetSchemas(bool onlyProjects, bool refresh);
    // The RIS schema file location, or empty when the client names none.
    std::string RISGetSchemaFilePath();

    // --- RIS load, unload and clean ---
    // mode: 0 "clear", 1 "new", 2 no word, any other "new". An empty schema loads into the
    // schema the dump names; an empty logFile keeps the client's output only for the call.
    void RISLoad(const std::string& dumpFile, const OptionalNames& tables, int32_t mode, const std::string& schema,
                 const std::string& logFile, int16_t commitCount);
    // whereClauses by position of tables (used only with tables). dataLayout kVariableLayout:
    // the variable layout, which carries every value as it is (trailing blanks, a text of
    // blanks); any other: the fixed layout, which writes a text of blanks and NULL alike. The
    // dump's schema line becomes "default schema <target>" when targetSchema is given or
    // rewriteSchemaLine is set. A failed call leaves no file at dumpFile.
    static constexpr int32_t kVariableLayout = 0;
    void RISUnload(const std::string& dumpFile, const std::string& schema, const OptionalNames& tables,
                   const OptionalNames& whereClauses, const std::string& targetSchema, int32_t dataLayout,
                   bool rewriteSchemaLine, UnloadExtras extras);
    void RISClean(const std::string& schema);
    // The grants the schema's tables carry, read from a whole listing every time (never cached).
    std::vector<ListedGrant> RISGetGrants(const std::string& schema);
    // What the schema defines, as one risunlod listing made whole (raised otherwise; never
    // cached): every table with its columns, and every index, view and grant line.
    std::string RISGetDefinitions(const std::string& schema);
    // What the unload client says of the schema's views that no dump of it can make (a view
    // whose table is gone), one sentence each, read from a listing of its tables and views made
    // whole (raised otherwise; never cached). None when every view can be made.
    std::vector<std::string> RISViewWarnings(const std::string& schema);
    // The server's row count of each table (matched without regard to case), all asked in one
    // risbatch run. Raises unless every table's count came whole (ReadRowCounts). No tables, no run.
    RowCounts RISCountRows(const std::string& schema, const std::vector<std::string>& tables);
    // The schema's tables as the RIS dictionary lists them (one risbatch run, never cached), a
    // second source beside the unload client's listing. Raises unless the answer came whole
    // (ReadDictionaryTables).
    std::vector<std::string> RISDictionaryTables(const std::string& schema);

    // --- extraction and dump files ---
    // Extracts the one table a SELECT reads into a text table in the work directory and
    // rewrites sql to read it. dumpFile: an existing dump to read instead of unloading.
    void Extract2File(const std::string& schema, std::string& sql, std::string& textFile, std::string& formatFile,
                      std::string& table, bool replaceMinInt, const std::string& dumpFile = std::string());
    std::vector<std::string> RISDumpGetSchemas(const std::string& dumpFile);
    // Entries are schema + "|" + table.
    std::vector<std::string> RISDumpGetTables(const std::string& dumpFile);
    void RISDumpCreate(const std::string& dumpFile, const std::string& schema, const std::string& accessDatabase,
                       const std::vector<std::string>& tables, const OptionalNames& whereClauses,
                       bool indexAndGrant);

    // --- RIS client location and number format ---
    // The "BIN\" directory of an installed RIS client holding both clients, or empty; never throws.
    std::string FindRISPath();
    // Forces "." and "," as the user's separators for the text driver, saving the old ones once.
    void SetLanguageSettings();
    // Puts back exactly what SetLanguageSettings found (also a blank or a missing value).
    void RestoreLanguageSettings();

    // --- schemas and users ---
    // dbType: 1 Oracle, 2 SQL Server. Lists are paired by position with schemas.
    void RISCreateSchema(const std::vector<std::string>& schemas, const std::string& serverHost, int32_t dbType,
                         const std::string& directory, const std::string& database, const std::string& osUser,
                         const std::string& osPassword, const std::vector<std::string>& dbUsers,
                         const std::vector<std::string>& dbPasswords);
    void RISDropSchema(const std::vector<std::string>& schemas);
    void ORACreateUser(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                       const std::vector<std::string>& users, const std::vector<std::string>& passwords,
                       const std::string& defaultTablespace, const std::string& temporaryTablespace);
    void SQLCreateUser(const std::string& server, const std::string& database, const std::string& adminUser,
                       const std::string& adminPassword, const std::vector<std::string>& users,
                       const std::vector<std::string>& passwords);
    void ORADropUser(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                     const std::vector<std::string>& users);
    void SQLDropUser(const std::string& server, const std::string& database, const std::string& adminUser,
                     const std::string& adminPassword, const std::vector<std::string>& users);
    bool IsORAUserExists(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                         const std::string& user);
    bool IsSQLUserExists(const std::string& server, const std::string& database, const std::string& adminUser,
                         const std::string& adminPassword, const std::string& user);
    // Asks risbatch for the schema's dictionary entry (one run each call) and raises unless its
    // answer is whole; refresh also drops the cached schema lists.
    bool IsRISSchemaExists(const std::string& schema, bool refresh);

    // --- dump queries and table copy ---
    Recordset RISDumpRead(const std::string& dumpFile, const std::string& schemaName, const std::string& sql);
    void RISDumpImport2Access(const std::string& dumpFile, const std::string& schemaName, const std::string& sql,
                              const std::string& accessDatabase, const std::string& tableName, bool appendRows);
    // loadMode as RISLoad's mode; targetTables paired by position with sourceTables. The copy
    // carries the tables with their own indexes (renamed to names free in the target), their
    // grants and the source's views; a view the target already has is left as it is. Gives what
    // the caller should be told although the copy stands (views left as they were, a load that
    // failed after doing all its work), CR LF between sentences; empty when there is nothing.
    // Every load is followed by a read of the target, row by row against the dump and against
    // what the target held before: a load that did not leave every table's copy (also one that
    // ended well, and one whose client refused by name) raises what stands afterwards, not done
    // or not known, with each table's rows. An index or view not made raises naming the tables
    // that were copied all the same.
    std::string RISTableCopy(const std::string& sourceSchema, const std::vector<std::string>& sourceTables,
                      const std::string& targetSchema, const std::vector<std::string>& targetTables,
                      int32_t loadMode, const std::string& logFile);

    // --- server lists ---
    std::string GetDBServerName() const { return ServerName; }
    std::string GetDBUserName() const { return UserName; }
    std::vector<std::string> GetRegisteredSQLServers();
    std::vector<std::string> GetTNSNames();
    std::vector<std::string> GetSQLServerDatabases(const std::string& server, const std::string& user,
                                                   const std::string& password);

private:
    // Keys of the caches compare without regard to letter case.
    using Cache = std::map<std::string, std::string, NoCaseLess>;

    void SetRISPath(const std::string& path);
    void SetTempDir();
    void ADOUnloadAndParse(const std::string& schema, const std::string& sql, std::string& textFile,
                           std::string& formatFile, bool replaceMinInt);
    // The rows the statements changed as risbatch reports them, -1 when it reports none.
    int32_t RISWrite(const std::string& schema, const std::string& sql);
    int32_t ADOWrite(const std::string& schema, const std::string& sql);
    std::vector<std::string> RISGetTables(const std::string& schema, bool refresh);
    std::vector<std::string> ADOGetTables(const std::string& schema, bool refresh);
    std::vector<std::string> RISGetCols(const std::string& schema, const std::string& table, bool withTypes,
                                        bool refresh);
    std::vector<std::string> ADOGetCols(const std::string& schema, const std::string& table, bool refresh);
    void ParseSQL(const std::string& sql, std::string& table, std::string& condition);
    void RISDumpParse(const std::string& dump, const std::string& schema, const std::string& table,
                      std::string& textFile, std::string& formatFile, bool replaceMinInt);
    // Raises the refusal of a statement that is blank or does not begin with SELECT (leading
    // blanks are not skipped).
    static void RequireSelect(const std::string& sql);
    // The text driver's connection string over the folder of an extracted text file.
    static std::string TextDriverConnection(const std::string& textFile);
    // The clean-up of a query over extracted text files, after success and failure alike: puts
    // the separators back when they were set and deletes both work files; its own errors are
    // ignored.
    void EndTextFileQuery(bool separatorsSet, const std::string& textFile, const std::string& formatFile);
    // The first RIS error block of a client's output or log file; empty when it names none.
    std::string RISGetError(const std::string& outputFile);
    // Whether an error is being handled at the time of the call.
    bool HasError() const;

    // Runs risbatch on one input text in the work directory, raises the not-found error and the
    // RIS error of its output, and gives the output's text (empty unless readOutput). Both work
    // files are gone on return, also after an error.
    std::string RunRisbatch(const std::string& input, bool checkOutputSize, bool readOutput);
    // Runs risunlod into a listing of the schema's tables (all, or the one table given) and
    // gives the listing's text. Both work files are gone on return, also after an error.
    // warnings, when given, receives what the client said of the listing (RisClientWarnings).
    std::string RunRisunlodListing(const std::string& schema, const std::string* table, bool withIndexes = false,
                                   bool withViews = false, bool withGrants = false,
                                   std::vector<std::string>* warnings = nullptr);

    std::string TempDir;
    int32_t ConType = kConNotSet;
    std::string RISPath;
    std::string ConnectString;
    std::string ServerName;
    std::string UserName;
    std::string SavedDecimalSeparator;
    std::string SavedThousandSeparator;
    // Whether the separators were read, and whether the registry held a value at all, so that
    // a restore puts back exactly what was there.
    bool separatorsSaved_ = false;
    bool decimalWasPresent_ = false;
    bool thousandWasPresent_ = false;
    // The user's values, in the marks folder from before they are forced until they are seen back.
    std::shared_ptr<NumberFormatRecord> separatorRecord_;

    Cache risTableCache_;
    Cache adoTableCache_;
    Cache risColumnCache_;
    Cache adoColumnCache_;
    Cache schemaListCache_;

    // The server lists, gathered on their first call and kept for the object's lifetime.
    std::optional<std::vector<std::string>> sqlServerList_;
    std::optional<std::vector<std::string>> tnsNameList_;
    std::optional<std::vector<std::string>> sqlDatabaseList_;
};

// The program's one database access object, made on first use and never released while the
// program runs (its work directory stays after the program ends).
class CRISInstance {
public:
    CRIS* operator->() { return &get(); }
    CRIS& operator*() { return get(); }

private:
    static CRIS& get();
};

extern CRISInstance gCRIS;
