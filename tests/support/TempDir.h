#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A private temporary folder (mkdtemp under $TMPDIR, else /tmp), removed with everything in it
// when the object goes. Links inside are removed, never followed.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/vyx-test-XXXXXX";
        if (::mkdtemp(&pattern[0]) != nullptr) folder = pattern;
        EXPECT_FALSE(folder.empty()) << "mkdtemp failed under " << pattern;
    }
    ~TempDir() {
        if (folder.empty()) return;
        // A test may leave a folder read-only; its owner can always give the right back first.
        ::nftw(
            folder.c_str(),
            [](const char* path, const struct stat*, int type, struct FTW*) {
                if (type == FTW_D || type == FTW_DNR) ::chmod(path, 0700);
                return 0;
            },
            16, FTW_PHYS);
        ::nftw(
            folder.c_str(),
            [](const char* path, const struct stat*, int, struct FTW*) {
                std::remove(path);
                return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return folder; }
    // The path of name inside the folder (name may contain subfolders).
    std::string file(const std::string& name) const { return folder + "/" + name; }

    // Writes bytes to name inside the folder, creating or replacing the file.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::string p = file(name);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << bytes;
        return p;
    }
    // The whole content of name inside the folder ("" when it cannot be read).
    std::string read(const std::string& name) const { return readPath(file(name)); }
    static std::string readPath(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool exists(const std::string& name) const { return ::access(file(name).c_str(), F_OK) == 0; }
    // The names in the folder name inside this one ("" for this one itself), "." and ".." left
    // out, in the file system's order.
    std::vector<std::string> names(const std::string& name = "") const {
        std::vector<std::string> found;
        if (DIR* d = ::opendir(name.empty() ? folder.c_str() : file(name).c_str())) {
            while (dirent* e = ::readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") found.push_back(e->d_name);
            ::closedir(d);
        }
        return found;
    }

private:
    std::string folder;
};
