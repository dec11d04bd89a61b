// The main window's buttons of the design file tools.
#include "admin/Form1.h"

#include "designfiles/FileNameCheckWindow.h"
#include "designfiles/frmReadLinkages.h"
#include "platform/AppError.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

void Form1::cmdFileSpecCheck_Click()
{
    try {
        CheckTempDir();
        frmFileSpecCheck::ShowMe(projectName());
    } catch (const AppError& e) {
        ShowMessage(e.description(), 0);
    }
}

void Form1::cmdReadLinkages_Click()
{
    frmReadLinkages::ShowWindow();
}
