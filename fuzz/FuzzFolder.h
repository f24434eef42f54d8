#pragma once

// A private folder for one fuzz input, removed again at its end (libFuzzer may leave without
// running exit handlers). In memory (/dev/shm) the file work of an input costs almost nothing; on a
// disk the flushes of every save would be the whole run. $TMPDIR, when set, still decides.

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string makeFuzzFolder(const char* tag) {
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || base[0] != '/') base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/vyx-fuzz-" + tag + "-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
    return pattern;
}

inline void removeFuzzFolder(const std::string& folder) {
    ::nftw(
        folder.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p), 0; },
        16, FTW_DEPTH | FTW_PHYS);
}
