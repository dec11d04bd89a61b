// The start's mending of what killed table reads and file name corrections left.
#include "admin/DeadRunTraces.h"

#include "dbaccess/NumberFormatRecord.h"
#include "designfiles/FileNameCorrectionRecord.h"
#include "platform/AppError.h"
#include "services/Messages.h"

std::vector<std::string> MendDeadRunTraces()
{
    std::vector<std::string> named;
    // What is named goes to the log with the start's box.
    const auto tell = [&](const std::string& text, bool mended) {
        if (mended)
            ShowStatus(text);
        else
            named.push_back(text);
    };
    try {
        for (const NumberFormatRecord::Left& left : NumberFormatRecord::MendLeft())
            tell(left.text + ".", left.mended);
        for (const FileNameCorrectionRecord::Left& left : FileNameCorrectionRecord::MendLeft(ProjectTables::Cris()))
            tell(left.text, left.mended);
    } catch (const AppError& e) {
        tell("What killed runs left could not all be looked at: " + e.description(), false);
    }
    return named;
}
