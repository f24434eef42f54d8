#pragma once

#include "Dialogs.h"
#include "SString.h"

#include <vector>

// The open and save file dialogs: a filter text of description and pattern pairs separated by "|"
// ("Skripte (*.txt)|*.txt|alle Dateien|*.*", the first pair selected), a proposed file (the dialog
// opens in its folder) and a title. The open dialog accepts only an existing file; the save
// dialog adds the default extension to a name without one and asks before it overwrites a file.
// On OK the chosen full path is in getPath(); cancel gives false and leaves the path empty.
class SFileDialog {
public:
    SFileDialog() = default;
    virtual ~SFileDialog() = default;
    virtual const char* getClassName() const { return "SFileDialog"; }

    void setFilter(const SString& filterText) { filter = filterText; }
    void setFile(const SString& proposedFile) { file = proposedFile; }
    void setTitle(const SString& text) { title = text; }
    // Without the dot ("txt"); used by the save dialog.
    void setDefaultExtension(const SString& extension) { defaultExtension = extension; }

    bool showOpen();
    bool showSave();
    const SString& getPath() const { return path; }

    // The pairs of a filter text; a description without its pattern is left out.
    static std::vector<FileDialogRequest::Filter> parseFilter(const SString& filterText);
    // path, with "." + extension appended when its file name has no extension.
    static SString withDefaultExtension(const SString& path, const SString& extension);

private:
    FileDialogRequest request(bool save) const;

    SString filter;
    SString file;
    SString title;
    SString defaultExtension;
    SString path;
};
