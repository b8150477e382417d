#pragma once

// Configure mode: runs the configure dialog, with no owner, as the application's main window
// until it ends. The end code is not used: configure mode ends the program with status 0
// however the dialog was closed, since no caller asks the saver for a result.
void RunConfigureDialog();
