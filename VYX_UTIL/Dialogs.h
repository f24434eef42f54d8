#pragma once

#include "SString.h"

// The dialogs seam: message boxes (and, with the window, file dialogs and the wait cursor).
// The flags and answers carry the platform's message-box values.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int messageBox(const SString& text, const SString& caption, unsigned flags) = 0;
};

// The dialogs in use. Until a window installs its own, boxes are written to standard error and
// answered with their default button, so tools and headless runs never block.
Dialogs& dialogs();
// Installs d (not owned); nullptr restores the standard-error default. Returns the previous one.
Dialogs* setDialogs(Dialogs* d);
