#include "SFileSystem.h"

#include "TempDir.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <string>
#include <thread>

namespace {

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Waits for a file that a started program writes; the bound only keeps a broken run from hanging.
std::string waitForFile(const TempDir& dir, const std::string& name) {
    for (int i = 0; i < 1000 && !dir.exists(name); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string content;
    for (int i = 0; i < 1000 && (content = dir.read(name)).find('\n') == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return content;
}
}  // namespace

TEST(SFileSystem, PathParts) {
    struct Case {
        const char *path, *folder, *name, *title;
    } cases[] = {
        {"/a/b/file.txt", "/a/b", "file.txt", "file"},
        {"file.txt", "", "file.txt", "file"},
        {"/a/b/", "/a/b", "", ""},
        {"/a/b.d/archive.tar.gz", "/a/b.d", "archive.tar.gz", "archive.tar"},
        {"/a/b.d/noext", "/a/b.d", "noext", "noext"},
        {"/file", "", "file", "file"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(SFileSystem::getFolder(c.path)), c.folder) << c.path;
        EXPECT_EQ(str(SFileSystem::getFileName(c.path)), c.name) << c.path;
        EXPECT_EQ(str(SFileSystem::getFileTitle(c.path)), c.title) << c.path;
    }
    EXPECT_EQ(SFileSystem::separator(), '/');
}

TEST(SFileSystem, FullPathsAndSystemFolders) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    std::string current = cwd;
    struct Case {
        std::string path, full;
    } cases[] = {
        {"/a/./b/../c", "/a/c"},
        {"/../..", "/"},
        {"//a//b", "/a/b"},
        {"x/y.txt", current + "/x/y.txt"},
        {"../z", current.substr(0, current.rfind('/')) + "/z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(SFileSystem::getFullPath(c.path.c_str())), c.full) << c.path;
    EXPECT_EQ(str(SFileSystem::getCurrentFolder()), current);

    std::string temp = str(SFileSystem::getTempFolder());
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '/');
    EXPECT_TRUE(isFolder(temp));
}

TEST(SFileSystem, CreateFolderMakesMissingParents) {
    TempDir dir;
    ScriptedDialogs boxes;
    std::string deep = dir.file("one/two/three");
    EXPECT_TRUE(SFileSystem::createFolder(deep.c_str()));
    EXPECT_TRUE(isFolder(deep));
    EXPECT_TRUE(SFileSystem::createFolder(deep.c_str()));  // already there
    EXPECT_TRUE(SFileSystem::createFolder((dir.file("four/five") + "/").c_str()));
    EXPECT_TRUE(isFolder(dir.file("four/five")));
    EXPECT_TRUE(boxes.boxes.empty());

    // Below a regular file no folder can be made, not even by root.
    std::string blocked = dir.write("plain", "") + "/sub/leaf";
    EXPECT_FALSE(SFileSystem::createFolder(blocked.c_str(), true));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(SFileSystem::createFolder(blocked.c_str()));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Fehler beim Anlegen des Verzeichnisses:\r\n" + blocked + "\r\nNot a directory");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

TEST(SFileSystem, ShellOpenStartsAProgramWithoutAShell) {
    TempDir dir;
    std::string script = dir.write("show.sh",
                                   "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > out.tmp\n"
                                   "mv out.tmp out.txt\n");
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    SString error("unchanged");
    // Blanks separate and quotes group words; nothing a shell would expand is touched.
    ASSERT_TRUE(
        SFileSystem::shellOpen(script.c_str(), "\"a b\" $(touch pwned) ';' *", dir.path().c_str(), 1, &error))
        << str(error);
    EXPECT_EQ(str(error), "");
    std::string out = waitForFile(dir, "out.txt");
    EXPECT_EQ(out, dir.path() + "\n[a b]\n[$(touch]\n[pwned)]\n[';']\n[*]\n");
    EXPECT_FALSE(dir.exists("pwned"));

    // Relative to the folder given.
    ::unlink(dir.file("out.txt").c_str());
    ASSERT_TRUE(SFileSystem::shellOpen("show.sh", "", dir.path().c_str()));
    EXPECT_EQ(waitForFile(dir, "out.txt"), dir.path() + "\n");

    EXPECT_FALSE(SFileSystem::shellOpen(dir.file("missing").c_str(), "", "", 1, &error));
    EXPECT_EQ(str(error), "No such file or directory");
    EXPECT_FALSE(SFileSystem::shellOpen("no-such-program-vyx", "", "", 1, &error));
    EXPECT_FALSE(SFileSystem::shellOpen("show.sh", "", dir.file("plain").c_str(), 1, &error));
}
