#include "SFile.h"

#include "SMem.h"
#include "TempDir.h"
#include "TestText.h"
#include "WriteFaults.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

namespace {
const char* const kOpenFailed =
    "Fehler beim \xF6"
    "ffnen der Datei '";
}  // namespace

TEST(SFile, ModesAreBinaryUnlessText) {
    TempDir dir;
    std::string path = dir.write("f.txt", "x");
    struct Case {
        const char* mode;
        const char* used;
    } cases[] = {{"r", "rb"}, {"rt", "rt"}, {"rb", "rb"}, {"r+", "r+b"}, {"a", "ab"}};
    for (const Case& c : cases) {
        SFile file;
        ASSERT_TRUE(file.open(path.c_str(), c.mode)) << c.mode;
        EXPECT_EQ(str(file.getMode()), c.used);
    }
}

TEST(SFile, OpenFailuresGiveTheirTextAndABoxUnlessQuiet) {
    TempDir dir;
    ScriptedDialogs boxes;
    std::string missing = dir.file("missing.txt");
    std::string underFile = dir.write("plain", "") + "/x.txt";  // a regular file is no folder
    struct Case {
        std::string name;
        std::string text;
    } cases[] = {
        {"",
         "Fehler beim \xF6"
         "ffnen der Datei, es wurde kein Dateiname \xFC"
         "bergeben."},
        {missing, kOpenFailed + missing + "'\r\nNo such file or directory"},
        {underFile, kOpenFailed + underFile + "'\r\nNot a directory"},
    };
    for (const Case& c : cases) {
        SFile file;
        EXPECT_FALSE(file.open(c.name.c_str(), "rb", true));
        EXPECT_EQ(str(file.getErrorText()), c.text);
        EXPECT_FALSE(file.isOpen());
        EXPECT_TRUE(boxes.boxes.empty());

        EXPECT_FALSE(file.open(c.name.c_str(), "rb"));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, c.text);
        EXPECT_EQ(boxes.boxes[0].caption, "Fehler SFile::open(..)");
        EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
        boxes.boxes.clear();
    }
}

TEST(SFile, ReadSeekTellAndSize) {
    TempDir dir;
    std::string path = dir.write("data.bin", "0123456789ABCDEFGHIJ");
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0700), 0);
    SFile file;
    ASSERT_TRUE(file.open((dir.path() + "/sub/../data.bin").c_str()));
    EXPECT_EQ(str(file.getPath()), path);  // the full path, ".." resolved

    EXPECT_TRUE(file.seek(10, 2));  // origin 2: 10 bytes before the end
    EXPECT_EQ(file.tell(), 10);
    EXPECT_EQ(str(file.read(3)), "ABC");
    EXPECT_TRUE(file.seek(2, 1));
    EXPECT_EQ(str(file.read(2)), "FG");
    EXPECT_EQ(file.getSize(), 20);
    EXPECT_EQ(file.tell(), 17);  // getSize keeps the position
    EXPECT_EQ(str(file.read(100)), "HIJ");
    EXPECT_TRUE(file.seek(5));
    EXPECT_EQ(str(file.read()), "56789ABCDEFGHIJ");
    EXPECT_EQ(str(file.read()), "");
    EXPECT_FALSE(file.seek(-5));
    EXPECT_EQ(str(file.getErrorText()), "Invalid argument");
    file.close();
    EXPECT_EQ(str(file.getPath()), "");
}

TEST(SFile, ReadLineGivesEachLineAsItsBytesAre) {
    TempDir dir;
    const std::string longLine(10000, 'x');
    std::string path = dir.write(
        "lines.txt", std::string("one\r\n\ntwo\xB3\xB3key\xB3\xB3\nn\0ul\n", 22) + longLine + "\nlast");
    SFile file;
    ASSERT_TRUE(file.open(path.c_str()));
    std::vector<std::string> lines;
    SString line("old");
    while (file.readLine(line))
        lines.push_back(str(line));
    EXPECT_EQ(lines, (std::vector<std::string>{"one\r", "", "two\xB3\xB3key\xB3\xB3", std::string("n\0ul", 4),
                                               longLine, "last"}));
    EXPECT_EQ(str(file.getErrorText()), "");

    // A folder opens on this platform, but reading it fails and says why.
    ASSERT_TRUE(file.open(dir.path().c_str(), "rb", true));
    EXPECT_FALSE(file.readLine(line));
    EXPECT_EQ(str(file.getErrorText()), "Is a directory");
    file.close();
    EXPECT_FALSE(file.readLine(line));
    EXPECT_EQ(str(file.getErrorText()), "Fehler beim Lesen: Bad file descriptor");
}

TEST(SFile, WithoutAnOpenFile) {
    ScriptedDialogs boxes;
    SFile file;
    char buffer[4];
    EXPECT_EQ(file.readBytes(buffer, 4), 0);
    EXPECT_EQ(file.getSize(), 0);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Fehler beim lesen der Datei.\r\nDie Datei wurde noch nicht ge\xF6"
              "ffnet.");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler SFile::read(..)");
    EXPECT_EQ(boxes.boxes[1].text,
              "Fehler, SFile::getSize()\r\nDiese Funktion kann nur auf auf eine ge\xF6"
              "ffnete Datei angewendet werden.");
    EXPECT_EQ(boxes.boxes[1].caption, "Fehler !");

    EXPECT_FALSE(file.write(SString("x")));
    EXPECT_EQ(str(file.getErrorText()), "Fehler beim Schreiben: Bad file descriptor");
    EXPECT_FALSE(file.seek(0));
    EXPECT_EQ(file.tell(), 0);
}

TEST(SFile, WholeFileHelpersKeepEveryByte) {
    TempDir dir;
    // Text that begins like a localisable literal must not be translated on the way.
    const std::string content("\xB3\xB3key\xB3\xB3 text\r\n\0\xFF end", 19);
    SMem bytes(0);
    bytes.append(content.data(), int(content.size()));
    SString error("unchanged");

    ASSERT_TRUE(SFile::writeMemToFile(dir.file("a.bin").c_str(), bytes, &error));
    EXPECT_EQ(str(error), "");
    EXPECT_EQ(dir.read("a.bin"), content);
    EXPECT_EQ(str(SFile::readTextFile(dir.file("a.bin").c_str(), &error)), content);

    ASSERT_TRUE(SFile::writeTextFile(dir.file("b.txt").c_str(), bytes.toString(), &error));
    SMem back(3);
    ASSERT_TRUE(SFile::readFileToMem(dir.file("b.txt").c_str(), back, &error));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.getData()), size_t(back.getSize())), content);

    // Replacing truncates.
    ASSERT_TRUE(SFile::writeTextFile(dir.file("b.txt").c_str(), "short", &error));
    EXPECT_EQ(dir.read("b.txt"), "short");
}

TEST(SFile, WholeFileHelperFailures) {
    TempDir dir;
    ScriptedDialogs boxes;
    std::string missing = dir.file("missing.txt");
    SString error;

    EXPECT_EQ(str(SFile::readTextFile(missing.c_str(), &error)), "");
    EXPECT_EQ(str(error), kOpenFailed + missing + "'\r\nNo such file or directory");
    SMem mem(5);
    EXPECT_FALSE(SFile::readFileToMem(missing.c_str(), mem, &error));
    std::string underFile = dir.write("plain", "") + "/x.txt";
    EXPECT_FALSE(SFile::writeTextFile(underFile.c_str(), "x", &error));
    EXPECT_TRUE(str(error).find("Not a directory") != std::string::npos);
    EXPECT_TRUE(boxes.boxes.empty());

    // Without an error-text string the failure is shown.
    EXPECT_EQ(str(SFile::readTextFile(missing.c_str())), "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler SFile::open(..)");

    // A full disk shows only when the buffered bytes are written out at the close: still a failure.
    if (::access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(SFile::writeTextFile("/dev/full", "some text", &error));
        EXPECT_EQ(str(error), "Fehler beim Schreiben der Datei '/dev/full'\r\nNo space left on device");
    }
}

// The new content goes to a file of its own beside the old one, which replaces the old one only
// once it is written whole: a write that fails leaves the old file as it was, and nothing else.
TEST(SFile, WholeFileWriteThatFailsLeavesTheOldFile) {
    const std::string old = "m:main\r\nm:twi\r\n";
    const SString longer = SString().appendRepeated("m:main\r\n", 1000);
    struct Case {
        const char* name;
        bool readOnlyFolder;  // else the disk fills up during the write
    } cases[] = {{"read-only folder", true}, {"disk full mid-write", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.write("list.txt", old);
        ScriptedDialogs boxes;
        SString error;
        std::string reason = "File too large";
        {
            std::unique_ptr<ReadOnlyFolder> folder;
            std::unique_ptr<FileSizeLimit> limit;
            if (c.readOnlyFolder)
                folder = std::make_unique<ReadOnlyFolder>(dir.path());
            else
                limit = std::make_unique<FileSizeLimit>(1024);
            if (!(folder ? folder->ok() : limit->ok())) continue;
            if (folder) reason = folder->reason();
            EXPECT_FALSE(SFile::writeTextFile(path.c_str(), longer, &error));
            EXPECT_FALSE(SFile::writeTextFile(path.c_str(), longer));
        }
        EXPECT_EQ(str(error), "Fehler beim Schreiben der Datei '" + path + "'\r\n" + reason);
        ASSERT_EQ(boxes.boxes.size(), 1u);  // the second write was not quiet
        EXPECT_EQ(boxes.boxes[0].caption, "Fehler SFile::write(..)");
        EXPECT_EQ(dir.read("list.txt"), old);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"list.txt"});
    }
}

TEST(SFile, CreateTempMakesAUniqueFileInTheFolder) {
    TempDir dir;
    SFile first, second;
    ASSERT_TRUE(first.createTemp("vyx", dir.path().c_str()));
    ASSERT_TRUE(second.createTemp("vyx", dir.path().c_str()));
    EXPECT_NE(str(first.getPath()), str(second.getPath()));
    EXPECT_EQ(str(first.getPath()).rfind(dir.path() + "/vyx", 0), 0u);
    ASSERT_TRUE(first.write(SString("temp")));
    ASSERT_TRUE(first.seek(0));
    EXPECT_EQ(str(first.read()), "temp");

    SFile missing;
    EXPECT_FALSE(missing.createTemp("vyx", dir.file("no/such").c_str(), true));
    EXPECT_EQ(str(missing.getErrorText()),
              kOpenFailed + dir.file("no/such") + "'\r\nNo such file or directory");
}
