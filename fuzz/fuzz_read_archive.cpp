// SResources::readArchive on arbitrary program files, extracting into a private temporary folder.
// Byte 0 chooses the shape: even, the rest is the whole program file; odd, the rest is placed
// between 100 filler bytes with "vyxres" and a valid trailer, so that the entry parser is reached
// at once. After each input every extracted file must lie in the extraction folder and be gone
// again after clean-up.
#include "ArchiveFormat.h"
#include "SResources.h"
#include "SilentDialogs.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string& folder() {
    static std::string path = [] {
        char pattern[] = "/tmp/vyx-fuzz-archive-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) std::abort();
        std::string p = pattern;
        ::mkdir((p + "/x").c_str(), 0700);
        std::atexit([] {
            ::nftw(
                folder().c_str(),
                [](const char* path, const struct stat*, int, struct FTW*) { return std::remove(path), 0; },
                16, FTW_DEPTH | FTW_PHYS);
        });
        return p;
    }();
    return path;
}

time_t fixedClock(time_t* t) {
    if (t != nullptr) *t = 1;
    return 1;
}

// Entries of a folder other than "." and "..".
int countEntries(const std::string& path) {
    DIR* d = ::opendir(path.c_str());
    if (d == nullptr) return 0;
    int n = 0;
    while (dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) ++n;
    ::closedir(d);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    if (size < 1) return 0;
    std::string program;
    if (data[0] & 1) {
        program.assign(archive::kMinStartOffset, 'p');
        program.append(archive::kStartMagic, archive::kMagicLength);
        program.append(reinterpret_cast<const char*>(data) + 1, size - 1);
        program.append(archive::kEndMagic, archive::kMagicLength);
        archive::appendU32(program, archive::kMinStartOffset);
    } else {
        program.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    }
    const std::string programPath = folder() + "/program";
    FILE* f = std::fopen(programPath.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(program.data(), 1, program.size(), f);
    std::fclose(f);

    const std::string extractParent = folder() + "/x";
    {
        SResources resources;
        resources.programPath = programPath.c_str();
        resources.programDirectory = folder().c_str();
        resources.markerState = archive::kStateArchive;
        resources.tempFolder = (extractParent + "/").c_str();
        resources.clock = fixedClock;
        resources.readArchive();
        const std::string prefix = std::string(resources.extractDirectory.getChars()) + "/";
        for (int i = 0; i < resources.extractedFiles.getCount(); ++i) {
            const SString& path = resources.extractedFiles.valueAt(i);
            if (std::strncmp(path.getChars(), prefix.c_str(), prefix.size()) != 0 ||
                std::strchr(path.getChars() + prefix.size(), '/') != nullptr)
                __builtin_trap();
        }
    }
    // Nothing outside the extraction folder, and nothing left behind.
    if (countEntries(folder()) != 2 || countEntries(extractParent) != 0) __builtin_trap();
    return 0;
}
