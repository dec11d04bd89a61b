// Puts the Qt implementations of the services' interfaces in place: message boxes, file and
// folder dialogs, the hourglass pointer of the interface locks, the event pump (DoEvents) and the
// Esc key filter.
// Windows register themselves with QtForm::Attach.
#pragma once

// Called once by the program's start-up after the QApplication exists.
void InstallQtServices();
