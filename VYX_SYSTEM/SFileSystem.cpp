#include "SFileSystem.h"

#include "FileSystemSeam.h"
#include "SError.h"
#include "SSystem.h"

#include <cerrno>

namespace {

int lastSeparator(const SString& path) {
    for (int i = path.getLength() - 1; i >= 0; --i)
        if (fsIsSeparator(path.getChars()[i])) return i;
    return -1;
}

}  // namespace

char SFileSystem::separator() {
    return fsPathSeparator;
}

SString SFileSystem::getFolder(const SString& path) {
    int last = lastSeparator(path);
    if (last < 0) return SString();
    // The folder part keeps its separator; then one trailing separator is removed.
    return path.left(last);
}

SString SFileSystem::getFileName(const SString& path) {
    return path.mid(lastSeparator(path) + 1);
}

SString SFileSystem::getFileTitle(const SString& path) {
    SString name = getFileName(path);
    int dot = name.findLastChar('.');
    return dot < 0 ? name : name.left(dot);
}

SString SFileSystem::getFullPath(const SString& path) {
    return fsFullPath(path);
}

SString SFileSystem::getCurrentFolder() {
    return fsCurrentFolder().trim();
}

SString SFileSystem::getTempFolder() {
    return fsTempFolder();
}

bool SFileSystem::createFolderQuietly(const SString& path, int& error) {
    if (fsCreateFolder(path)) return true;
    error = fsLastError();
    if (error == EEXIST && fsIsFolder(path)) return true;
    if (error != ENOENT) return false;
    int last = lastSeparator(path);
    if (last <= 0) return false;
    if (!createFolderQuietly(path.left(last), error)) return false;
    if (fsCreateFolder(path)) return true;
    error = fsLastError();
    return error == EEXIST && fsIsFolder(path);
}

bool SFileSystem::createFolder(const SString& path, bool quiet) {
    int error = 0;
    if (!path.isEmpty() && createFolderQuietly(path, error)) return true;
    if (path.isEmpty()) error = ENOENT;
    if (!quiet) {
        SString text("Fehler beim Anlegen des Verzeichnisses:\r\n");
        text.append(path);
        text.append("\r\n");
        text.append(SSystem::getErrorText(error));
        globalError().showError(text, 0, "Fehler", MB_OK | MB_ICONERROR);
    }
    fsSetLastError(error);
    return false;
}

bool SFileSystem::shellOpen(const SString& file, const SString& parameters, const SString& folder,
                            int /*showMode*/, SString* errorText) {
    SString error;
    bool ok = fsShellOpen(file, parameters, folder, error);
    if (errorText != nullptr) *errorText = error;
    return ok;
}
