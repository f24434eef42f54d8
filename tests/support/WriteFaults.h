#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <string>

// Ways a file write fails in a test, for the test process itself, root included.

// A folder in which no entry can be created or renamed: its write permission is taken away, and
// where that does not bind (root) it is made immutable. ok() is false when neither can be done
// (root on a file system without the immutable flag); the folder is given back at the end.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path) : path(path) {
        if (::chmod(path.c_str(), 0500) != 0) return;
        if (::geteuid() != 0) {
            blocked = true;
            return;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        blocked = immutable;
    }
    ~ReadOnlyFolder() {
        if (immutable) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) ::close(fd);
        }
        ::chmod(path.c_str(), 0700);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool ok() const { return blocked; }
    // The system's text for a file refused there.
    const char* reason() const { return immutable ? "Operation not permitted" : "Permission denied"; }

private:
    std::string path;
    bool blocked = false;
    bool immutable = false;
};

// The disk fills up after bytes bytes of any file this process writes: a longer write fails with
// "File too large" (the signal the system sends for it is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        if (active) ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok() const { return active; }

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
    bool active = false;
};
