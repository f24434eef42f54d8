#pragma once

#include "Dialogs.h"
#include "SString.h"

// Error reporting: message boxes owned by the active window, and a log of errors that is shown
// once when the main window is destroyed. Exactly one instance: globalError().
class SError {
public:
    SError() = default;
    virtual ~SError() = default;
    virtual const char* getClassName() const { return "SError"; }

    // With an error number of the system the text gains "\r\n Fehlernummer: <n>\r\n<its text>"
    // (SSystem::getErrorText).
    int showError(const SString& text, int errorNumber = 0, const SString& title = "Fehler !",
                  unsigned type = MB_OK | MB_ICONERROR);
    void logError(const SString& text, int errorNumber = 0);
    void showLog();

    SString log;
};

SError& globalError();
