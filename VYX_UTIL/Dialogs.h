#pragma once

#include "SString.h"

// The dialogs seam: message boxes and the open and save file dialogs (and, with the window, the
// wait cursor).
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
    // The file dialogs. filter: pairs of description and pattern, all separated by "|"
    // ("Skripte (*.txt)|*.txt|alle Dateien|*.*"), the first pair selected; proposed: the file
    // proposed, so the dialog opens in its folder. True with the chosen file's full path in
    // chosen; false, chosen untouched, when the user cancelled. The open dialog takes only
    // existing files; the save dialog asks before it overwrites a file and adds defaultExt (no
    // dot) to a name typed without an extension. Unless overridden they answer "cancelled".
    virtual bool openFileDialog(const SString& title, const SString& filter, const SString& proposed,
                                SString& chosen);
    virtual bool saveFileDialog(const SString& title, const SString& filter, const SString& proposed,
                                const SString& defaultExt, SString& chosen);
};

// The dialogs in use. Until a window installs its own, boxes are written to standard error and
// answered with their default button, and file dialogs are written there and cancelled, so tools
// and headless runs never block.
Dialogs& dialogs();
// Installs d (not owned); nullptr restores the standard-error default. Returns the previous one.
Dialogs* setDialogs(Dialogs* d);
