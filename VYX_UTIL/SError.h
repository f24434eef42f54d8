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

    // With an error number the text gains "\r\n Fehlernummer: <n>\r\n<system text>".
    int showError(const SString& text, int errorNumber = 0, const SString& title = "Fehler !",
                  unsigned type = MB_OK | MB_ICONERROR);
    void logError(const SString& text, int errorNumber = 0);
    void showLog();

    // The system's message text for an error number, "" when there is none.
    static SString systemMessage(int errorNumber);

    SString log;
};

SError& globalError();
