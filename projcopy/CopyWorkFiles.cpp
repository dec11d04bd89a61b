// Work files of the project copy, one set per program.
#include "projcopy/CopyWorkFiles.h"

#include "platform/OwnedLeftovers.h"
#include "services/AppGlobals.h"

std::string CopyWorkFile(const std::string& stem) { return OwnedLeftoverName(TmpFile(stem), ".txt"); }

void RemoveEndedCopiesWorkFiles()
{
    for (const char* stem :
         {kCopyStatements, kCopyAnswer, kCopyConsole, kCopyEditedDump, kCopyCountInput, kCopyCountAnswer, kCopyParams, kCopyImage})
        RemoveOrphanedLeftovers(TmpFile(stem), ".txt");
}
