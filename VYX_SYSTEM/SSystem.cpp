#include "SSystem.h"

#include "FileSystemSeam.h"
#include "SError.h"
#include "SFileSystem.h"

namespace {
SSystem::ProgramStarter& programStarter() {
    static SSystem::ProgramStarter starter;
    return starter;
}
}  // namespace

SString SSystem::getErrorText(int errorNumber) {
    SString text = fsErrorText(errorNumber);
    if (!text.isEmpty()) return text;
    SString unknown("Unbekannter Fehler ");
    unknown.append(SString::fromInt(errorNumber));
    unknown.append(".");
    return unknown;
}

SString SSystem::getEnvironment(const SString& name) {
    return fsEnvironment(name);
}

SString SSystem::getSpecialFolder(int folderId, bool create) {
    SString folder = fsSpecialFolder(folderId);
    if (create && !folder.isEmpty() && !fsIsFolder(folder)) SFileSystem::createFolder(folder, true);
    return folder;
}

bool SSystem::startProgram(const SString& program, const std::vector<SString>& arguments, bool quiet,
                           SString* errorText) {
    SString error;
    const ProgramStarter& starter = programStarter();
    const bool ok = starter ? starter(program, arguments, error) : fsStartProgram(program, arguments, error);
    if (errorText != nullptr) *errorText = error;
    if (!ok && !quiet) {
        SString text("Das Programm konnte nicht gestartet werden:\r\n");
        text.append(program, program.getLength());
        text.append("\r\n");
        text.append(error, error.getLength());
        globalError().showError(text);
    }
    return ok;
}

void SSystem::setProgramStarter(ProgramStarter starter) {
    programStarter() = std::move(starter);
}
