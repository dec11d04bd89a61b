// Statements: DBWrite, and the risbatch run that statements and dictionary queries share.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RowCountAnswer.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <cstdint>

int32_t CRIS::DBWrite(const std::string& schema, const std::string& sql)
{
    return WithErrorSource("CRIS::DBWrite", [&]() -> int32_t {
        const int32_t kind = GetDBConType();
        if (IsBlank(schema) && kind == kConRIS)
            RaiseError("", "Schema name not defined");
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        // The schema's held listings go after a change of its tables, also when the batch
        // failed part-way (it may have dropped some tables already).
        auto forgetListings = [&] {
            if (!ChangesTables(sql))
                return;
            ForgetSchemaListings(risTableCache_, risColumnCache_, schema);
            ForgetSchemaListings(adoTableCache_, adoColumnCache_, schema);
        };
        int32_t result = -1;
        try {
            if (kind != kConRIS)
                result = ADOWrite(schema, sql);
            else
                result = RISWrite(schema, sql);
        } catch (...) {
            forgetListings();
            throw;
        }
        forgetListings();
        return result;
    });
}

namespace {

// The rows the client says its statements changed: the sum of its "<n> row(s) inserted.",
// "updated." and "deleted." lines; -1 when it says nothing of the kind.
int32_t rowsChanged(const std::string& output)
{
    int64_t sum = -1;
    for (std::string line : Split(output, "\n")) {
        line = Trim(ReplaceAll(line, "\r", ""));
        const size_t blank = line.find(' ');
        if (blank == 0 || blank == std::string::npos || blank > 9 || line.find_first_not_of("0123456789") != blank)
            continue;
        const std::string rest = line.substr(blank + 1);
        for (const char* verb : {"inserted.", "updated.", "deleted."})
            if (rest == std::string("row ") + verb || rest == std::string("rows ") + verb) {
                sum = (sum < 0 ? 0 : sum) + std::stoll(line.substr(0, blank));
                break;
            }
    }
    return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

} // namespace

int32_t CRIS::RISWrite(const std::string& schema, const std::string& sql)
{
    return WithErrorSource("CRIS::RISWrite", [&] {
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        // The schema goes unquoted into "default schema <schema>;": anything but a name would
        // run as statements of its own.
        if (!IsBlank(schema))
            CheckRISName("Schema", schema);
        return rowsChanged(RunRisbatch(RisbatchStatementInput(schema, sql), true, true));
    });
}

RowCounts CRIS::RISCountRows(const std::string& schema, const std::vector<std::string>& tables)
{
    return WithErrorSource("CRIS::RISCountRows", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        for (const std::string& t : tables)
            CheckRISName("Table", t);
        if (tables.empty())
            return RowCounts();
        std::vector<std::string> names;
        for (const std::string& t : tables)
            names.push_back(Trim(t));
        return ReadRowCounts(RunRisbatch(RisbatchStatementInput(schema, RowCountStatements(names)), true, true), names);
    });
}

std::string CRIS::RunRisbatch(const std::string& input, bool checkOutputSize, bool readOutput)
{
    WorkFiles work;
    const std::string dir = GetTempDir();
    const std::string outputFile = work.add(dir + GetTempName());
    const std::string inputFile = work.add(dir + GetTempName());

    BinaryFile in;
    in.Open(inputFile, BinaryFile::Mode::Write);
    in.Write(input);
    in.Close();
    DeleteFileA(outputFile, false);

    const std::string risPath = GetRISPath();
    long pid = 0;
    const long exitCode = ExecA(RisbatchCommand(risPath, inputFile, outputFile), "", 0, dir, pid, true);
    if (const std::string why = RisClientNoOutput("risbatch", risPath, exitCode, outputFile, checkOutputSize);
        !why.empty())
        RaiseError("", why);

    const std::string error = RISGetError(outputFile);
    if (!error.empty())
        RaiseError("", error);
    // Answers cut off by a client that died are no answers: the statements may have run only
    // in part.
    if (RisClientEndedUnexplained(exitCode, BinaryFile::ReadAll(outputFile)))
        RaiseError("", RisClientExitText("risbatch", exitCode));
    if (!readOutput)
        return std::string();
    return BinaryFile::ReadAll(outputFile);
}

std::string CRIS::RISGetError(const std::string& outputFile)
{
    return WithErrorSource("CRIS::RISGetError", [&] {
        return RISErrorText(BinaryFile::ReadAll(outputFile));
    });
}
