#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/CDialog.h"

// The configure dialog (template 102): the saver has no settings, so it only informs. Its
// caption names the saver, its top line stays blank, a button opens the home page, "Quit"
// closes it, and an extra system-menu item shows the about box.
class ConfigDialog : public CDialog {
public:
    explicit ConfigDialog(CWnd* parent = nullptr);
    ~ConfigDialog() override;

    // What the minimised dialog shows: the program's icon centred in `client` of `dc`.
    void PaintMinimisedIcon(HDC dc, const RECT& client) const;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    bool OnInitDialog() override;

private:
    std::intptr_t OnSysCommand(std::uintptr_t command, std::intptr_t position);
    std::intptr_t OnPaint(std::uintptr_t, std::intptr_t);
    std::intptr_t OnQueryDragIcon(std::uintptr_t, std::intptr_t);
    std::intptr_t OnHomePage(std::uintptr_t, std::intptr_t);
    std::intptr_t OnQuit(std::uintptr_t, std::intptr_t);

    // Bound to the top line (control 1011); empty, so the template's text never shows.
    std::string versionText;
    // The program's icon: a shared resource icon, never destroyed.
    HICON icon;

    DECLARE_MESSAGE_MAP()
};
