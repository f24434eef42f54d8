#include "PageFileSeam.h"

#include "SSystem.h"

#include <sys/stat.h>

#include <cerrno>

bool pageFileInfo(const SString& path, long long& size, SString& error) {
    size = 0;
    struct stat st;
    if (path.isEmpty()) {
        error = SSystem::getErrorText(ENOENT);
        return false;
    }
    if (::stat(path.getChars(), &st) != 0) {
        error = SSystem::getErrorText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "Keine gew\xF6hnliche Datei.";
        return false;
    }
    size = (long long)st.st_size;
    error = "";
    return true;
}
