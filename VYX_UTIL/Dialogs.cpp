#include "Dialogs.h"

#include <cstdio>

bool Dialogs::fileDialog(const FileDialogRequest& request, SString&) {
    std::fprintf(stderr, "[%s] %s (cancelled)\n", request.save ? "save" : "open", request.title.getChars());
    return false;
}

void Dialogs::setWaitCursor(bool) {}

namespace {
class StderrDialogs : public Dialogs {
public:
    int messageBox(const SString& text, const SString& caption, unsigned flags) override {
        std::fprintf(stderr, "[%s] %s\n", caption.getChars(), text.getChars());
        unsigned buttons = flags & 0x0F;
        return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
    }
};

StderrDialogs standardDialogs;
Dialogs* current = nullptr;
}  // namespace

Dialogs& dialogs() {
    return current ? *current : standardDialogs;
}

Dialogs* setDialogs(Dialogs* d) {
    Dialogs* previous = current;
    current = d;
    return previous;
}
