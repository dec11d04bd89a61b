// Writing entries to the program log.
#include "services/ProgramLog.h"

#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "services/AppGlobals.h"

std::string ProgramLogTimestamp() { return FormatLocalTime(GetClock().Now(), "dd.mm.yyyy hh:nn:ss"); }

void WriteProgramLog(const std::string& text)
{
    // One write holds the whole entry, so a partial entry never lands between outputs.
    BinaryFile::AppendText(gLogFile, ProgramLogTimestamp() + "\t" + text + "\r\n");
}
