// RIS clean: the RIS clean-up client run for one schema, judged by its console output.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/RISCommandLine.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

void CRIS::RISClean(const std::string& schema)
{
    WithErrorSource("CRIS::RISClean", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        WorkFiles work;
        const std::string dir = GetTempDir();
        const std::string outputLog = work.add(dir + GetTempName());
        DeleteFileA(outputLog, false);

        const std::string risPath = GetRISPath();
        long pid = 0;
        const long exitCode = ExecA(RisclnsrCommand(risPath, schema), outputLog, 0, dir, pid, true);
        if (const std::string why = RisClientNoOutput("risclnsr", risPath, exitCode, outputLog, true); !why.empty())
            RaiseError("", why);
        const std::string error = RISGetError(outputLog);
        if (!error.empty())
            RaiseError("", error);
        const std::string output = BinaryFile::ReadAll(outputLog);
        if (RisClientEndedUnexplained(exitCode, output))
            RaiseError("", RisClientExitText("risclnsr", exitCode));
        if (ToLower(output).find("success") == std::string::npos)
            RaiseError("", "risclnsr failed");
    });
}
