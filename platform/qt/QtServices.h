// Puts the Qt implementations of the services' interfaces in place: message boxes, file and
// folder dialogs, and the hourglass pointer of the interface locks.
#pragma once

// Called once by the program's start-up after the QApplication exists.
void InstallQtServices();
