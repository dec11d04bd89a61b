// The tarnwick executable: a command-line run without any window, or the splash and main window.
#include "admin/CommandLineRun.h"
#include "admin/FrmSplash.h"
#include "platform/Environment.h"
#include "ui/qt/QtServices.h"
#include "standins/dbserver/StandInConnections.h"

#include <QApplication>

#include <string>

int main(int argc, char** argv)
{
    InitEnvironmentDefaults();
    // Oracle and SQL Server connections reach the stand-in server of the environment.
    StandInConnections::Register();
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    if (!commandLine.empty())
        return RunCommandLine(commandLine);

    QApplication app(argc, argv);
    // Message boxes, dialogs, the event pump of the waits and the Esc key filter.
    InstallQtServices();
    FrmSplash splash;
    splash.Form_Load();
    return app.exec();
}
