// Statements: DBWrite, and the risbatch run that statements and dictionary queries share.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

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
                RISWrite(schema, sql);
        } catch (...) {
            forgetListings();
            throw;
        }
        forgetListings();
        return result;
    });
}

void CRIS::RISWrite(const std::string& schema, const std::string& sql)
{
    WithErrorSource("CRIS::RISWrite", [&] {
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        RunRisbatch(RisbatchStatementInput(schema, sql), true, false);
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
    ExecA(RisbatchCommand(risPath, inputFile, outputFile), "", 0, dir, pid, true);
    if (!IsFileExistsA(outputFile) || (checkOutputSize && GetFileSize(outputFile) == 0))
        RaiseError("", RisClientNotFound("risbatch", risPath));

    const std::string error = RISGetError(outputFile);
    if (!error.empty())
        RaiseError("", error);
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
