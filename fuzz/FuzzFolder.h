#pragma once

// A private folder for one fuzz input, removed again at its end. In memory (/dev/shm) the file
// work of an input costs almost nothing; on a disk the flushes of every save would be the whole
// run. $TMPDIR, when set, still decides.
//
// libFuzzer leaves with _Exit, without exit handlers and in the middle of an input, when an input
// runs past its time limit, crashes or the run is interrupted; that input's folder stays behind.
// So a folder's name carries the process id ("vyx-fuzz-<tag>-<pid>-XXXXXX"), and the first folder
// a process makes removes the folders of processes that no longer exist. scripts/fuzz.sh also
// gives every run a temporary folder of its own and removes it after the run.

#include <dirent.h>
#include <ftw.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

inline std::string fuzzFolderBase() {
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || base[0] != '/') base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return base;
}

inline void removeFuzzFolder(const std::string& folder) {
    ::nftw(
        folder.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p), 0; },
        16, FTW_DEPTH | FTW_PHYS);
}

// Removes the folders under base whose process has ended.
inline void removeOrphanedFuzzFolders(const std::string& base) {
    static const char prefix[] = "vyx-fuzz-";
    DIR* dir = ::opendir(base.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.compare(0, sizeof prefix - 1, prefix) != 0) continue;
        const size_t last = name.rfind('-');
        const size_t before =
            last == std::string::npos || last == 0 ? std::string::npos : name.rfind('-', last - 1);
        if (before == std::string::npos || before + 1 >= last) continue;
        const std::string digits = name.substr(before + 1, last - before - 1);
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
        const pid_t pid = pid_t(std::atol(digits.c_str()));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) removeFuzzFolder(base + "/" + name);
    }
    ::closedir(dir);
}

inline std::string makeFuzzFolder(const char* tag) {
    const std::string base = fuzzFolderBase();
    static const bool swept = (removeOrphanedFuzzFolders(base), true);
    (void)swept;
    std::string pattern = base + "/vyx-fuzz-" + tag + "-" + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
    return pattern;
}
