// The main window's button of the project file check.
#include "admin/Form1.h"

#include "filecheck/frmUpgradeCheck.h"
#include "platform/AppError.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

void Form1::btnUpgradeCheck_Click()
{
    try {
        CheckTempDir();
        frmUpgradeCheck::ShowMe(projectName());
    } catch (const AppError& e) {
        ShowMessage(e.description(), 0);
    }
}
