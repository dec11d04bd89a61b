// The main window's opening of the DDL check window.
#include "admin/Form1.h"

#include "dbtools/frmCheckDatabaseDDL.h"
#include "platform/AppError.h"
#include "services/FileOperation.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QPointer>

void Form1::cmdCheckDatabaseDDL_Click()
{
    try {
        CheckTempDir();
        // The window keeps no project: it asks this window's project field whenever it needs one.
        QPointer<Form1> self(this);
        frmCheckDatabaseDDL::ShowModeless([self] { return self ? self->projectName() : std::string(); });
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::OkOnly);
    }
}
