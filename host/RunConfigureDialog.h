#pragma once

// Configure mode: runs the configure dialog, with no owner, as the application's main window
// until it ends. The end code is not used.
void RunConfigureDialog();
