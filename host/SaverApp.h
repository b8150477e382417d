#pragma once
#include <string>
#include <vector>

#include "framework/CWinApp.h"

// The saver program's application object. InitInstance reads the command line and either
// runs the configure dialog (and ends), or makes the preview window in the host's box, or
// the full-screen saver window; the two windows run in the framework's message loop.
class SaverApp : public CWinApp {
public:
    SaverApp();
    ~SaverApp() override;

    bool InitInstance() override;

    // "p" in preview mode, set before the preview window object exists; empty otherwise.
    std::string mode;
    // The product title, for the configure dialog's caption.
    std::string title;

    // True when the application object is a SaverApp in preview mode: how the drawing
    // window tells preview painting from full-screen work.
    static bool IsPreviewMode();

    // The two window modes' starts, from the split command line. Both false when there is
    // no window to run: the program then ends without a loop.
    bool StartPreview(const std::vector<std::string>& arguments);
    bool StartFullScreen();
};
