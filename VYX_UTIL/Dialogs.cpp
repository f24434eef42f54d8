#include "Dialogs.h"

#include <cstdio>

bool Dialogs::openFileDialog(const SString&, const SString&, const SString&, SString&) {
    return false;
}

bool Dialogs::saveFileDialog(const SString&, const SString&, const SString&, const SString&, SString&) {
    return false;
}

namespace {
class StderrDialogs : public Dialogs {
public:
    bool openFileDialog(const SString& title, const SString&, const SString&, SString&) override {
        std::fprintf(stderr, "[%s] (cancelled)\n", title.getChars());
        return false;
    }
    bool saveFileDialog(const SString& title, const SString&, const SString&, const SString&,
                        SString&) override {
        std::fprintf(stderr, "[%s] (cancelled)\n", title.getChars());
        return false;
    }

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
