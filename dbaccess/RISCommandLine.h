// The command lines, input files and parameter lines of the four RIS clients, and the name
// checks made before any of them is built. Pure texts, so they are tested as texts.
#pragma once

#include "dbaccess/UnloadExtras.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The risbatch input of a statement text: "default schema <s>;" and "commit;" around it when
// the schema is not blank, a ";" added when the text does not end in one, then "quit;".
// Every line ends with CR LF.
std::string RisbatchStatementInput(const std::string& schema, const std::string& sql);
// The risbatch input of a dictionary command such as "show schema names;": the command and "quit;".
std::string RisbatchCommandInput(const std::string& command);

// "<risPath>risbatch.exe" -i "<input>" -o "<output>"
std::string RisbatchCommand(const std::string& risPath, const std::string& inputFile, const std::string& outputFile);
// "<risPath>risunlod.exe" -m w -o "<list>" -s <schema> table all   (or table <table>), with
// withViews " view all" (the schema's view definitions), with withIndexes " index all" (or
// index <table>): the index lines of the listed tables as well, and with withGrants " grant all"
// (or grant <table>): their grant lines.
std::string RisunlodListCommand(const std::string& risPath, const std::string& listFile, const std::string& schema,
                                const std::string* table, bool withIndexes = false, bool withViews = false,
                                bool withGrants = false);
// "<risPath>risunlod.exe" -m w -o "<dump>" -f "<parameter file>"
std::string RisunlodDumpCommand(const std::string& risPath, const std::string& dumpFile,
                                const std::string& parameterFile);
// The one line of the risunlod parameter file, without its line end.
std::string RisunlodParameterLine(const std::string& schema, const std::optional<std::vector<std::string>>& tables,
                                  const std::optional<std::vector<std::string>>& whereClauses, int32_t dataLayout,
                                  UnloadExtras extras);
// "clear" for 0, "new" for 1, nothing for 2, "new" for any other mode.
std::string RislodModeWord(int32_t mode);
// The tables joined by one blank, or "all" when left out.
std::string RisTableList(const std::optional<std::vector<std::string>>& tables);
std::string RislodCommand(const std::string& risPath, const std::string& workCopy, const std::string& clientLog,
                          const std::string& badFile, int16_t commitCount, const std::string& schema, int32_t mode,
                          const std::string& tableList);
// "<risPath>risclnsr.exe" <schema>
std::string RisclnsrCommand(const std::string& risPath, const std::string& schema);

// "<client> in '<risPath>' not found", or "<client> not found" when the directory is empty.
std::string RisClientNotFound(const std::string& client, const std::string& risPath);
// After a client has ended: empty when its program is there and its output file stands (holding
// something when needContent); else RisClientNotFound when the program is not in the client
// directory, or "<client> ended with exit code <n> without writing its output '<file>'" (a full
// or unwritable folder looks like this and must not be blamed on a missing client). Waits only
// for an output file that exists to be free: a file the client did not write will not come.
std::string RisClientNoOutput(const std::string& client, const std::string& risPath, long exitCode,
                              const std::string& outputFile, bool needContent);
// "<client> ended with exit code <n>": a client that died (a crash, an abort) writes no RIS
// error block, so its exit code is the only sign that its work is incomplete.
std::string RisClientExitText(const std::string& client, long exitCode);
// Whether a client that ended with a non-zero exit code left no RIS error block that explains it:
// neither a counting one nor a RIS_E_CREATE_INDEX block. A line that merely holds "RIS Error:"
// without a frame line before it explains nothing; the run may have stopped anywhere.
bool RisClientEndedUnexplained(long exitCode, const std::string& output);

// The banner lines around rejected rows in a load's log (120 characters, no line end).
std::string BadFileBeginBanner();
std::string BadFileEndBanner();

// Raises error 1 naming the name when it is not a RIS identifier (letters, digits and
// underscore; blanks around it are allowed). kind is "Schema" or "Table".
void CheckRISName(const std::string& kind, const std::string& name);
