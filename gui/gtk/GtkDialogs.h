#pragma once

#include "Dialogs.h"

// The dialogs seam on GTK 3 (needs an initialised GTK).
class GtkDialogs : public Dialogs {
public:
    int messageBox(const SString& text, const SString& caption, unsigned flags) override;
    bool fileDialog(const FileDialogRequest& request, SString& path) override;
    void setWaitCursor(bool on) override;
};
