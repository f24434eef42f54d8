#include "SSystem.h"

#include "FileSystemSeam.h"
#include "SFileSystem.h"

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
