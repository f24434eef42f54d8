#pragma once

#include "SString.h"

#include <vector>

// The dialogs seam: message boxes, the open and save file dialogs, and the wait cursor.
// The flags and answers carry the platform's message-box values.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ABORTRETRYIGNORE = 0x02,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_RETRYCANCEL = 0x05,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// What a file dialog shows. The rules around it (only existing files are opened, a save asks before
// it overwrites and adds the default extension) belong to the caller, SFileDialog, so that every
// platform keeps them alike.
struct FileDialogRequest {
    struct Filter {
        SString name;     // "Skripte (*.txt)"
        SString pattern;  // "*.txt", several separated by ";"
    };
    bool save = false;
    SString title;
    // The file proposed: the dialog opens in its folder and, when it names a file, preselects it.
    SString proposedFile;
    std::vector<Filter> filters;  // the first one is selected
    SString defaultExtension;     // without the dot; "" for none
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int messageBox(const SString& text, const SString& caption, unsigned flags) = 0;
    // Shows the dialog; true with the chosen file's full path, false when the user cancelled.
    virtual bool fileDialog(const FileDialogRequest& request, SString& path);
    // Shows the busy pointer over the program's windows (on) or the normal one again (off).
    virtual void setWaitCursor(bool on);
};

// The dialogs in use. Until a window installs its own, boxes are written to standard error and
// answered with their default button, file dialogs are written there and cancelled, and the wait
// cursor is left alone, so tools and headless runs never block.
Dialogs& dialogs();
// Installs d (not owned); nullptr restores the standard-error default. Returns the previous one.
Dialogs* setDialogs(Dialogs* d);
