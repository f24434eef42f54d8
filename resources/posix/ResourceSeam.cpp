// POSIX implementation of the resources seam: /proc/self/exe, mkdir with mode 0700, rmdir, stat,
// localtime_r. Paths are Windows-1252 above the seam and UTF-8 on the file system.
#include "ResourceSeam.h"

#include "CodePage.h"
#include "FileSystemSeam.h"
#include "RawText.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <ctime>
#include <string>

namespace {
std::string native(const SString& path) {
    return codepage::cp1252ToUtf8(path.getChars(), path.getLength());
}
}  // namespace

SString resOwnProgramPath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return SString();
    const std::string text = codepage::utf8ToCp1252(buffer, int(n));
    return rawText(text.data(), int(text.size()));
}

ResFolderResult resCreatePrivateFolder(const SString& path, SString& error) {
    // mkdir never follows or reuses an existing name, and 0700 keeps other users out from the
    // first moment.
    if (mkdir(native(path).c_str(), 0700) == 0) return ResFolderResult::created;
    const int e = errno;
    if (e == EEXIST) return ResFolderResult::exists;
    error = fsErrorText(e);
    fsSetLastError(e);
    return e == ENOENT ? ResFolderResult::noParent : ResFolderResult::failed;
}

bool resRemoveFolder(const SString& path) {
    return rmdir(native(path).c_str()) == 0;
}

bool resFileExists(const SString& path) {
    struct stat st;
    return !path.isEmpty() && stat(native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

SString resLocalTimeText() {
    const time_t now = time(nullptr);
    struct tm local;
    char text[40];
    if (localtime_r(&now, &local) == nullptr || strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) == 0)
        return SString();
    return SString(text);
}
