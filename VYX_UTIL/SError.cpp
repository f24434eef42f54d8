#include "SError.h"

#include "SSystem.h"

#include <cstring>

SError& globalError() {
    static SError* error = new SError();  // never destroyed, like the other globals' tables
    return *error;
}

namespace {
// True when entry stands in log as a whole entry. Every line break inside an entry is followed by a
// TAB, so an entry ends at the end of the log or at a CR LF that is not followed by a TAB; a mere
// substring match would drop "Datei" after "Datei fehlt" was logged.
bool containsEntry(const SString& log, const SString& entry) {
    for (int pos = log.find(entry); pos >= 0; pos = log.find(entry, pos + 1)) {
        int end = pos + entry.getLength();
        if (end == log.getLength()) return true;
        if (log.getCharAt(end) == '\r' && log.getCharAt(end + 1) == '\n' && log.getCharAt(end + 2) != '\t')
            return true;
    }
    return false;
}
}  // namespace

namespace {
// The text, and with an error number the label, the number and the system's text on new lines.
SString withErrorNumber(const SString& text, int errorNumber, const char* label) {
    SString message(text);
    if (errorNumber != 0) {
        message.append(label);
        message.append(errorNumber);
        message.append("\r\n");
        message.append(SSystem::getErrorText(errorNumber));
    }
    return message;
}
}  // namespace

int SError::showError(const SString& text, int errorNumber, const SString& title, unsigned type) {
    return dialogs().messageBox(withErrorNumber(text, errorNumber, "\r\n Fehlernummer: "), title, type);
}

void SError::logError(const SString& text, int errorNumber) {
    SString entry = withErrorNumber(text, errorNumber, "\r\nFehlernummer: ");
    entry.trim();
    entry.replace("\r\n", "\r\n\t");
    entry.insert(0, SString("\r\n"));
    if (!containsEntry(log, entry)) log.append(entry);
}

void SError::showLog() {
    if (log.isEmpty()) return;
    SString text("Folgende Fehler sind w\xE4hrend der Abarbeitung des Programmes protokolliert worden:\r\n");
    text.append(log);
    dialogs().messageBox(text, "Fehler !", MB_OK | MB_ICONERROR);
}
