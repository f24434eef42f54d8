// The files and system seam on POSIX and the XDG folder conventions.
// Implements: every function of FileSystemSeam.h. Names cross the seam as Windows-1252 and are
// UTF-8 on the file system; a name the code page cannot hold arrives with '?' in its place.
// Not implemented: the show mode of fsShellOpen (the desktop decides), shell folder ids other than
// 5, 26, 28 and 35.

#include "FileSystemSeam.h"

#include "CodePage.h"
#include "RawText.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::string native(const SString& text) {
    return codepage::cp1252ToUtf8(text.getChars(), text.getLength());
}

SString fromNative(const char* text) {
    if (text == nullptr) return SString();
    std::string converted = codepage::utf8ToCp1252(text, int(std::strlen(text)));
    return rawText(converted.data(), int(converted.size()));
}

SString homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return fromNative(home);
    struct passwd* entry = getpwuid(getuid());
    return fromNative(entry != nullptr ? entry->pw_dir : "/");
}

// An XDG variable counts only when it holds an absolute path; otherwise the default applies.
SString xdgFolder(const char* variable, const SString& fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return fromNative(value);
    return fallback;
}

bool writeAll(int fd, const char* data, int size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= int(n);
    }
    return true;
}

// Windows-style parameter text: blanks separate, double quotes group and are removed.
std::vector<std::string> splitParameters(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inQuotes = false, inWord = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

bool isExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool foundOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (folder.empty()) folder = ".";
        if (isExecutableFile(folder + "/" + name)) return true;
        start = end + 1;
    }
    return false;
}

// Starts argv detached (a grandchild in its own session, so no zombie is left behind and no
// signal of ours reaches it) and reports whether exec succeeded.
bool startDetached(const std::vector<std::string>& args, const std::string& folder, bool searchPath) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) return false;
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        ::close(status[0]);
        ::close(status[1]);
        errno = error;
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: the parent may have other threads.
        ::close(status[0]);
        pid_t grandchild = ::fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        ::setsid();
        int error = 0;
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) error = errno;
        if (error == 0) {
            if (searchPath)
                ::execvp(argv[0], argv.data());
            else
                ::execv(argv[0], argv.data());
            error = errno;
        }
        ssize_t ignored = ::write(status[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    ::close(status[1]);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do {
        n = ::read(status[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(status[0]);
    if (n == ssize_t(sizeof error)) {
        errno = error;
        return false;
    }
    if (!WIFEXITED(waitStatus) || WEXITSTATUS(waitStatus) != 0) {
        errno = EAGAIN;  // the intermediate child could not fork
        return false;
    }
    return true;
}

std::atomic<unsigned> tempCounter{0};

}  // namespace

const char fsPathSeparator = '/';

bool fsIsSeparator(char c) {
    return c == '/';
}

bool fsNamesIgnoreCase() {
    return false;
}

int fsLastError() {
    return errno;
}

void fsSetLastError(int error) {
    errno = error;
}

SString fsErrorText(int error) {
    if (error == 0) return SString();
    // The description without the locale, and none (rather than "Unknown error") for numbers the
    // system does not know.
    const char* text = strerrordesc_np(error);
    return text != nullptr ? fromNative(text) : SString();
}

FILE* fsOpenStream(const SString& path, const char* mode) {
    return std::fopen(native(path).c_str(), mode);
}

bool fsReadFolder(const SString& folder, std::vector<FsFolderEntry>& entries) {
    entries.clear();
    std::string path = folder.isEmpty() ? std::string(".") : native(folder);
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return false;
    int fd = ::dirfd(dir);
    errno = 0;
    while (struct dirent* d = ::readdir(dir)) {
        FsFolderEntry entry;
        entry.name = fromNative(d->d_name);
        struct stat st;
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.isLink = S_ISLNK(st.st_mode);
            if (entry.isLink && ::fstatat(fd, d->d_name, &st, 0) != 0) st.st_mode = 0;
            entry.isFolder = S_ISDIR(st.st_mode);
        }
        entries.push_back(entry);
        errno = 0;
    }
    int error = errno;
    ::closedir(dir);
    errno = error;
    return error == 0;
}

bool fsCreateFolder(const SString& path) {
    return ::mkdir(native(path).c_str(), 0777) == 0;
}

bool fsIsFolder(const SString& path) {
    struct stat st;
    return ::stat(native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fsRemoveFile(const SString& path) {
    return ::unlink(native(path).c_str()) == 0;
}

SString fsFullPath(const SString& path) {
    if (path.isEmpty()) return SString();
    std::string text(path.getChars(), size_t(path.getLength()));
    if (text[0] != '/') {
        SString current = fsCurrentFolder();
        text = std::string(current.getChars(), size_t(current.getLength())) + "/" + text;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    if (result.empty()) result = "/";
    if (text.back() == '/' && result != "/") result += "/";
    return rawText(result.data(), int(result.size()));
}

SString fsCurrentFolder() {
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(&buffer[0], buffer.size()) == nullptr) return SString();
    return fromNative(buffer.c_str());
}

SString fsTempFolder() {
    SString folder = xdgFolder("TMPDIR", SString("/tmp"));
    if (!folder.endsWith("/")) folder.append('/');
    return folder;
}

bool fsCreateUniqueFile(const SString& folder, const SString& prefix, SString& path) {
    std::string name = native(folder);
    if (name.empty()) name = ".";
    if (name.back() != '/') name += "/";
    name += native(prefix) + "XXXXXX.tmp";
    int fd = ::mkstemps(&name[0], 4);
    if (fd < 0) return false;
    ::close(fd);
    path = fromNative(name.c_str());
    return true;
}

bool fsReplaceFile(const SString& path, const char* data, int size) {
    std::string target = native(path);
    struct stat st;
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        char* real = ::realpath(target.c_str(), nullptr);
        if (real != nullptr) {
            target = real;
            std::free(real);
        }
    }
    // A device or pipe cannot be replaced by renaming a file over it: such a target is written.
    if (exists && !S_ISREG(st.st_mode)) {
        int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = writeAll(fd, data, size);
        int error = errno;
        if (::close(fd) != 0 && ok) return false;
        errno = error;
        return ok;
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    // A name of our own rather than mkstemp, so the new file is created with the usual
    // permissions (the umask applies) when there was no file before.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + base + ".new" + std::to_string(::getpid()) + "-" +
               std::to_string(tempCounter.fetch_add(1));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok =
        (!exists || ::fchmod(fd, st.st_mode & 07777) == 0) && writeAll(fd, data, size) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // The rename itself reaches the disk with the folder's entry.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// An flock lock: it belongs to the open file, so it ends when the process does, and the file's
// pid text is for people only.
int fsCreateInstanceLock(const SString& path) {
    const std::string target = native(path);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    // Made and locked under a name of its own, then renamed: a prober never sees it unlocked.
    const std::string temp =
        folder + "/.lock" + std::to_string(::getpid()) + "-" + std::to_string(tempCounter.fetch_add(1));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(fd, text.data(), int(text.size())) ||
        ::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

void fsReleaseInstanceLock(int lock) {
    if (lock >= 0) ::close(lock);
}

FsLockState fsInstanceLockState(const SString& path) {
    const int fd = ::open(native(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? FsLockState::missing : FsLockState::held;
    struct stat st;
    FsLockState state = FsLockState::held;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        state = FsLockState::free;
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return state;
}

SString fsEnvironment(const SString& name, bool* found) {
    const char* value = std::getenv(native(name).c_str());
    if (found != nullptr) *found = value != nullptr;
    return fromNative(value);
}

SString fsSpecialFolder(int id) {
    switch (id) {
        case 5:  // the user's documents
            return homeFolder();
        case 26:  // the user's settings
            return xdgFolder("XDG_CONFIG_HOME", homeFolder() + "/.config");
        case 28:  // the user's local data
            return xdgFolder("XDG_DATA_HOME", homeFolder() + "/.local/share");
        case 35: {  // settings shared by all users: the first folder of the XDG search list
            const char* dirs = std::getenv("XDG_CONFIG_DIRS");
            if (dirs != nullptr && dirs[0] == '/') {
                std::string first(dirs, std::strcspn(dirs, ":"));
                return fromNative(first.c_str());
            }
            return SString("/etc/xdg");
        }
        default:
            return SString();
    }
}

bool fsShellOpen(const SString& file, const SString& parameters, const SString& folder, SString& error) {
    std::string target = native(file);
    std::string workFolder = native(folder);
    if (target.empty()) {
        error = fsErrorText(ENOENT);
        return false;
    }
    // Relative names are found in the working folder the caller gives, as the program will see them.
    std::string located = target;
    if (target[0] != '/' && !workFolder.empty()) located = workFolder + "/" + target;

    std::vector<std::string> args;
    bool searchPath = false;
    struct stat st;
    bool isAddress = target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0;
    if (located[0] != '/') {
        SString current = fsCurrentFolder();
        located = native(current) + "/" + located;
    }
    if (!isAddress && isExecutableFile(located)) {
        args.push_back(located);
        for (const std::string& p : splitParameters(native(parameters)))
            args.push_back(p);
    } else if (isAddress || ::stat(located.c_str(), &st) == 0) {
        args = {"xdg-open", isAddress ? target : located};
        searchPath = true;
    } else if (target.find('/') == std::string::npos && foundOnPath(target)) {
        args.push_back(target);
        for (const std::string& p : splitParameters(native(parameters)))
            args.push_back(p);
        searchPath = true;
    } else {
        error = fsErrorText(ENOENT);
        errno = ENOENT;
        return false;
    }
    if (!startDetached(args, workFolder, searchPath)) {
        error = fsErrorText(errno);
        return false;
    }
    error = SString();
    return true;
}

FsFolderResult fsCreatePrivateFolder(const SString& path, SString& error) {
    // mkdir never follows or reuses an existing name, and 0700 keeps other users out from the
    // first moment.
    if (mkdir(native(path).c_str(), 0700) == 0) return FsFolderResult::created;
    const int e = errno;
    if (e == EEXIST) return FsFolderResult::exists;
    error = fsErrorText(e);
    errno = e;
    return e == ENOENT ? FsFolderResult::noParent : FsFolderResult::failed;
}

bool fsRemoveFolder(const SString& path) {
    return rmdir(native(path).c_str()) == 0;
}

bool fsFileExists(const SString& path) {
    struct stat st;
    return !path.isEmpty() && stat(native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool fsPlainFileInfo(const SString& path, long long& size, SString& error) {
    size = 0;
    struct stat st;
    if (path.isEmpty()) {
        error = fsErrorText(ENOENT);
        return false;
    }
    if (stat(native(path).c_str(), &st) != 0) {
        error = fsErrorText(errno);
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

SString fsOwnProgramPath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return SString();
    buffer[n] = 0;
    return fromNative(buffer);
}

SString fsLocalTimeText() {
    const time_t now = time(nullptr);
    struct tm local;
    char text[40];
    if (localtime_r(&now, &local) == nullptr || strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) == 0)
        return SString();
    return SString(text);
}

bool fsStartProgram(const SString& program, const std::vector<SString>& arguments, SString& error) {
    const std::string path = native(program);
    if (path.empty() || !isExecutableFile(path)) {
        const int reason = path.empty() || ::access(path.c_str(), F_OK) != 0 ? ENOENT : EACCES;
        error = fsErrorText(reason);
        errno = reason;
        return false;
    }
    std::vector<std::string> args{path};
    for (const SString& argument : arguments)
        args.push_back(native(argument));
    if (!startDetached(args, std::string(), false)) {
        error = fsErrorText(errno);
        return false;
    }
    error = SString();
    return true;
}
