#pragma once

#include "Dialogs.h"

// Fuzz runs show thousands of error boxes; this answers them with their default button without
// writing anything, so the fuzzer's own output stays readable.
class SilentDialogs : public Dialogs {
public:
    int messageBox(const SString&, const SString&, unsigned flags) override {
        const unsigned buttons = flags & 0x0F;
        return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
    }

    static void install() {
        static SilentDialogs silent;
        setDialogs(&silent);
    }
};
