#include "FileSystemSeam.h"
#include "ResourceFixture.h"
#include "SLanguage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {
const char kBoxStart[] = "Fehler beim Lesen der Resourcen.\r\n";

}  // namespace

using SResourcesTest = ResourceFixture;

TEST_F(SResourcesTest, ArchiveIsExtractedIntoAPrivateFolderAndRemovedAtTheEnd) {
    SResources& r = make(image(withInis({{"dieseite.htm", "<html>\xB3\xB3Key\xB3\xB3 x</html>"},
                                         {"Upper.txt", "stored in upper case"},
                                         {"twistatus.txt", std::string("\0\x01\xFF", 3)}})));
    r.init();
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
    EXPECT_EQ(r.archiveLoaded, 1);
    EXPECT_EQ(r.directoryMode, 0);
    EXPECT_EQ(str(r.extractDirectory), extractFolder(0));
    struct stat st;
    ASSERT_EQ(::stat(extractFolder(0).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(r.extractedFiles.getCount(), 5);

    const std::string page = extractFolder(0) + "/dieseite.htm";
    // Data is unscrambled and written byte for byte; names match lower-cased, exactly.
    EXPECT_EQ(str(r.getFile("dieSeite.htm")), page);
    EXPECT_EQ(TempDir::readPath(page), "<html>\xB3\xB3Key\xB3\xB3 x</html>");
    EXPECT_EQ(TempDir::readPath(str(r.getFile("TWISTATUS.TXT"))), std::string("\0\x01\xFF", 3));
    EXPECT_EQ(str(r.getFile("Upper.txt")), "");
    EXPECT_EQ(str(r.getFile("upper.txt")), "");
    // Not in the archive: a file named by its own path is taken as it is.
    const std::string own = dir.write("own.txt", "x");
    EXPECT_EQ(str(r.getFile(own.c_str())), own);
    EXPECT_EQ(str(r.getFile("missing.txt")), "");
    EXPECT_TRUE(boxes.boxes.empty());

    res.reset();
    EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_1234"));
}

TEST_F(SResourcesTest, ArchiveFailuresShowOneBoxAndFallBackToDirectoryMode) {
    const std::string before(200, 'p');
    std::string lowStart = image(withInis({}));
    lowStart.replace(lowStart.size() - 4, 4, std::string("\x63\0\0\0", 4));  // 99
    std::string farStart = image(withInis({}));
    farStart.replace(farStart.size() - 4, 4, std::string("\0\0\0\x01", 4));
    std::string kindOne = image({{"first.txt", "extracted before the failure"}});
    kindOne.insert(kindOne.size() - 10, "\x01");
    std::string hugeData = image({{"a.txt", "abc"}});
    hugeData.replace(before.size() + 18 + 1 + 4 + 5, 4, std::string("\x40\x42\x0F\x00", 4));  // 1000000

    struct Case {
        const char* what;
        std::string bytes;
        std::string error;  // the box's second line
    } cases[] = {
        {"start offset 99", lowStart, ""},
        {"start offset beyond the file", farStart, ""},
        {"no end magic anywhere", std::string(300, 'x'), "Ressourcen-Endekennung nicht vorhanden."},
        {"kind byte 1", kindOne, "unbekannte Blockkennung: 1"},
        {"zero-length entry", image({{"a.txt", ""}}), "Fehler beim Lesen der Daten: a.txt 0"},
        {"data beyond the file", hugeData, "Fehler beim Lesen der Daten: a.txt 1.000.000"},
        // Names that would leave the extraction folder, or name no file in it.
        {"parent name", image({{"../evil.txt", "x"}}), "unzul\xE4ssiger Eintragsname: \"../evil.txt\""},
        {"absolute name", image({{dir.file("evil.txt"), "x"}}),
         "unzul\xE4ssiger Eintragsname: \"" + dir.file("evil.txt") + "\""},
        {"backslash", image({{"..\\evil.txt", "x"}}), "unzul\xE4ssiger Eintragsname: \"..\\evil.txt\""},
        {"dot dot", image({{"..", "x"}}), "unzul\xE4ssiger Eintragsname: \"..\""},
        {"empty name", image({{"", "x"}}), "unzul\xE4ssiger Eintragsname: \"\""},
        {"marker pair name", image({{"\xB3\xB3/../evil.txt", "x"}}),
         "unzul\xE4ssiger Eintragsname: \"\xB3\xB3/../evil.txt\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.boxes.clear();
        SResources& r = make(c.bytes);
        EXPECT_EQ(r.readArchive(), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, kBoxStart + c.error + "\r\n\r\n");
        EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
        EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
        EXPECT_FALSE(dir.exists("evil.txt"));
        EXPECT_FALSE(dir.exists("tmp/evil.txt"));
        res.reset();
        // Entries extracted before the failure do not outlive the object.
        EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_1234/first.txt"));
        EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_1234"));
    }

    boxes.boxes.clear();
    SResources& missing = make("");
    missing.programPath = dir.file("no-such-program").c_str();
    missing.init();
    EXPECT_EQ(missing.directoryMode, 1);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes[0].text.rfind(std::string(kBoxStart) + "Fehler beim \xF6"
                                                                 "ffnen der Datei '",
                                        0),
              0u)
        << boxes.boxes[0].text;
}

TEST_F(SResourcesTest, BytesBehindTheArchiveAreFoundByTheBackwardsSearch) {
    // Before the archive, the program's own code holds the end magic text; behind it lie 1234
    // bytes of something else.
    const std::string before = std::string(150, 'p') + "vyxend\x10\0\0\0" + std::string(50, 'q');
    // The search reads the file backwards in blocks of 64 KiB: the end magic in the last block, across
    // the border of the last two, and in the block before.
    const struct {
        size_t behind;
        const char* size;
    } cases[] = {{1234, "1.234"}, {65530, "65.530"}, {70000, "70.000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behind);
        boxes.boxes.clear();
        SResources& r = make(image(withInis({{"a.txt", "alpha"}}), before, std::string(c.behind, 's')));
        r.init();
        EXPECT_EQ(r.archiveLoaded, 1);
        EXPECT_EQ(TempDir::readPath(str(r.getFile("a.txt"))), "alpha");
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, std::string(kBoxStart) + "Die Datei ist um " + c.size +
                                           " Byte zu gro\xDF, Ursache kann ein Virenbefall sein.");
        EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
    }

    // Without anything behind it, the same program file reads silently.
    boxes.boxes.clear();
    make(image(withInis({{"a.txt", "alpha"}}), before)).init();
    EXPECT_EQ(res->archiveLoaded, 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SResourcesTest, TryCounterSkipsEveryExistingName) {
    const std::string program = image(withInis({{"a.txt", "alpha"}}));
    ::mkdir(dir.file("tmp").c_str(), 0700);
    // A name planted in advance, even as a link to elsewhere, is never used.
    ::mkdir(extractFolder(0).c_str(), 0755);
    ASSERT_EQ(::symlink(dir.path().c_str(), extractFolder(1).c_str()), 0);
    make(program).init();
    EXPECT_EQ(str(res->extractDirectory), extractFolder(2));
    EXPECT_FALSE(dir.exists("a.txt"));

    // A second start in the same second while the first still runs takes the next number; once
    // the first has ended, its number is free again.
    std::unique_ptr<SResources> first = std::move(res);
    make(program).init();
    EXPECT_EQ(str(res->extractDirectory), extractFolder(3));
    first.reset();
    res.reset();
    make(program).init();
    EXPECT_EQ(str(res->extractDirectory), extractFolder(2));
    EXPECT_TRUE(boxes.boxes.empty());
}

namespace {

// A process that holds the lock file at path, as a running program does; ended, it has let go.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid = ::fork();
        if (pid == 0) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
            if (::write(ready[1], "x", 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        char c = 0;
        const bool locked = pid > 0 && ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(locked);
        // Its process id as the program writes it.
        std::ofstream(path) << pid << "\n";
    }
    ~LockHolder() { end(); }
    void end() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    pid_t pid = -1;
};

}  // namespace

// A start removes the extraction folders of programs that were killed before they could, and
// nothing else: not the folder of a program still running, not one without a lock (which may be
// being made), not what a link leads to.
TEST_F(SResourcesTest, FoldersOfEndedProgramsAreRemovedAtTheNextStart) {
    const std::string program = image(withInis({{"a.txt", "alpha"}}));
    for (const char* folder : {"tmp", "tmp/_tmpVyxRes0_ended", "tmp/_tmpVyxRes0_running",
                               "tmp/_tmpVyxRes0_unlocked", "tmp/other", "elsewhere"})
        ASSERT_EQ(::mkdir(dir.file(folder).c_str(), 0700), 0) << folder;
    dir.write("tmp/_tmpVyxRes0_ended/dieseite.htm", "page");
    {
        LockHolder killed(dir.file("tmp/_tmpVyxRes0_ended/instance.lock"));
        killed.end();
    }
    dir.write("tmp/_tmpVyxRes0_running/dieseite.htm", "page");
    LockHolder running(dir.file("tmp/_tmpVyxRes0_running/instance.lock"));
    dir.write("tmp/_tmpVyxRes0_unlocked/dieseite.htm", "page");
    dir.write("elsewhere/instance.lock", "1\n");
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("tmp/_tmpVyxRes0_link").c_str()), 0);
    dir.write("tmp/other/instance.lock", "1\n");
    dir.write("tmp/_tmpVyxRes0_file", "");

    make(program).init();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_ended"));
    for (const char* kept : {"tmp/_tmpVyxRes0_running/dieseite.htm", "tmp/_tmpVyxRes0_running/instance.lock",
                             "tmp/_tmpVyxRes0_unlocked/dieseite.htm", "elsewhere/instance.lock",
                             "tmp/_tmpVyxRes0_link", "tmp/other/instance.lock", "tmp/_tmpVyxRes0_file"})
        EXPECT_TRUE(dir.exists(kept)) << kept;
    // This start's own folder is held as long as it runs, and has its process id in the lock.
    const std::string ownLock = extractFolder(0) + "/instance.lock";
    EXPECT_EQ(fsInstanceLockState(ownLock.c_str()), FsLockState::held);
    EXPECT_EQ(TempDir::readPath(ownLock), std::to_string(::getpid()) + "\n");
    EXPECT_EQ(fsInstanceLockState(dir.file("tmp/_tmpVyxRes0_running/instance.lock").c_str()),
              FsLockState::held);
    EXPECT_EQ(fsInstanceLockState(dir.file("tmp/_tmpVyxRes0_unlocked/instance.lock").c_str()),
              FsLockState::missing);
    res.reset();
    EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_1234"));

    // Once the running program is killed too, its folder goes at the next start.
    running.end();
    make(program).init();
    EXPECT_FALSE(dir.exists("tmp/_tmpVyxRes0_running"));
    EXPECT_TRUE(dir.exists("tmp/_tmpVyxRes0_unlocked/dieseite.htm"));
}

TEST_F(SResourcesTest, MarkerZeroIsDirectoryModeWithItsFilesCreated) {
    SResources& r = make(image(withInis({{"a.txt", "alpha"}})), archive::kStateNoArchive);
    r.init();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(r.archiveLoaded, 0);
    EXPECT_EQ(r.directoryMode, 1);
    EXPECT_EQ(r.extractedFiles.getCount(), 0);
    EXPECT_FALSE(dir.exists("tmp"));
    EXPECT_EQ(dir.read("prog/VYX-Resourcen/controlpos.ini"), "\r\n");
    EXPECT_EQ(dir.read("prog/VYX-Resourcen/resource.ini"), "[StandardResourcePath]\r\n");
    ASSERT_EQ(r.resourceDirectories.getCount(), 1);
    EXPECT_EQ(str(r.resourceDirectories[0]), dir.file("prog/VYX-Resourcen"));

    // Existing files are kept as they are.
    res.reset();
    dir.write("prog/VYX-Resourcen/controlpos.ini", "[Standard-Styles]\r\nx=1\r\n");
    make("", archive::kStateNoArchive).init();
    EXPECT_EQ(dir.read("prog/VYX-Resourcen/controlpos.ini"), "[Standard-Styles]\r\nx=1\r\n");
    EXPECT_EQ(str(res->getStyle("x")), "1");
}

TEST_F(SResourcesTest, UsedResourcesRecordsOnlyFindsInResourceDirectories) {
    ::mkdir(dir.file("prog").c_str(), 0700);
    ::mkdir(dir.file("prog/VYX-Resourcen").c_str(), 0700);
    ::mkdir(dir.file("extra").c_str(), 0700);
    ::mkdir(dir.file("cwd").c_str(), 0700);
    ::mkdir(dir.file("cwd/resources").c_str(), 0700);
    dir.write("prog/VYX-Resourcen/resource.ini",
              "[StandardResourcePath]\r\np1=" + dir.file("extra") + "\r\n");
    dir.write("prog/VYX-Resourcen/Page.htm", "first directory");
    dir.write("extra/Page.htm", "second directory");
    dir.write("extra/Pic.GIF", "picture");
    dir.write("cwd/resources/cwd.txt", "current folder");
    const std::string own = dir.write("own.txt", "own path");

    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.file("cwd").c_str()), 0);
    SResources& r = make("", archive::kStateNoArchive);
    r.init();
    ASSERT_EQ(r.resourceDirectories.getCount(), 2);
    EXPECT_EQ(str(r.getFile("Page.htm")), dir.file("prog/VYX-Resourcen/Page.htm"));
    EXPECT_EQ(str(r.getFile("Pic.GIF")), dir.file("extra/Pic.GIF"));
    EXPECT_EQ(str(r.getFile("cwd.txt")), dir.file("cwd/resources/cwd.txt"));
    EXPECT_EQ(str(r.getFile(own.c_str())), own);
    EXPECT_EQ(str(r.getFile("resource.ini")), dir.file("prog/VYX-Resourcen/resource.ini"));
    EXPECT_EQ(str(r.getFile("nowhere.txt")), "");
    ASSERT_EQ(::chdir(previous), 0);
    res.reset();

    const std::string ini = dir.read("prog/VYX-Resourcen/resource.ini");
    const size_t used = ini.find("[usedResources]\r\n");
    ASSERT_NE(used, std::string::npos) << ini;
    std::vector<std::string> keys;
    for (size_t at = used + 17; at < ini.size();) {
        const size_t end = ini.find("\r\n", at);
        const std::string line = ini.substr(at, end - at);
        at = end + 2;
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        keys.push_back(line.substr(0, eq));
        // dd.mm.yyyy hh:mm:ss
        EXPECT_EQ(line.size() - eq - 1, 19u) << line;
        EXPECT_EQ(line.substr(eq + 3, 1) + line.substr(eq + 6, 1) + line.substr(eq + 14, 1), "..:") << line;
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"page.htm", "pic.gif"}));
}

TEST_F(SResourcesTest, StylesExpandInInsertionOrder) {
    SResources& r = make(image({{"resource.ini", "[StandardResourcePath]\r\n"},
                                {"controlpos.ini",
                                 "[Standard-Styles]\r\n"
                                 "vyx_color_win_back=#000000\r\n"
                                 "frame={{vyx_color_ctrl_text}}/{{later}}/{{SButton-form}}\r\n"
                                 "later=L\r\n"
                                 "[Control-Styles]\r\n"
                                 "SButton-selected=x{{frame}}\r\n"
                                 "SButton-form=9,9\r\n"}}));
    r.init();
    EXPECT_TRUE(boxes.boxes.empty());
    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"vyx_color_win_back", "#000000"},
        {"vyx_color_input_back", "#2d2df0"},
        // A default colour redefined before the button styles changes them.
        {"SButton-normal", "#000000,#464650,#ffffff,#ffffff"},
        {"SButton-disabled", "#000000,#888899,#bbbbcc,#4c4c6c"},
        {"SButton-mouseover", "#000000,#464650,#a0ffa0,#a0ffa0"},
        // Only entries already in the table expand; the rest stays as written ...
        {"frame", "#ffffff/{{later}}/{{SButton-form}}"},
        // ... until a later value brings such a placeholder in before its entry is visited.
        // Control styles come last and may replace button styles.
        {"SButton-selected", "x#ffffff/L/7,7"},
        {"SButton-form", "9,9"},
        {"unknown", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(r.getStyle(c.name)), c.value) << c.name;
    EXPECT_EQ(str(r.styles.keyAt(0)), "vyx_color_win_back");
}

TEST_F(SResourcesTest, UseBeforeInitIsReportedAndGoesOn) {
    SResources r;
    EXPECT_EQ(str(r.getFile("dieSeite.htm")), "");
    EXPECT_EQ(str(r.getStyle("SButton-form")), "");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Die Funktion SResources::getFile(\"dieSeite.htm\") kann erst nach der Initialisierung des "
              "globalResources-Objektes verwendet werden.\r\nSie sollten sie z.B. nicht im Konstrukor des "
              "Main-Fensters sondern besser in onPreCreateWindow() verwenden.");
    EXPECT_EQ(boxes.boxes[1].text,
              "Die Funktion SResources::getStyle(\"SButton-form\") kann erst nach der Initialisierung des "
              "globalResources-Objektes verwendet werden.\r\nSie sollten sie z.B. nicht im Konstrukor des "
              "Main-Fensters, sondern besser in onPreCreateWindow() verwenden.");
    for (const auto& b : boxes.boxes) {
        EXPECT_EQ(b.caption, "Fehler !");
        EXPECT_EQ(b.flags, unsigned(MB_OK | MB_ICONERROR));
    }
}

TEST_F(SResourcesTest, MissingIniFilesAreReported) {
    SResources& r = make(image({{"a.txt", "alpha"}}));
    r.init();
    EXPECT_EQ(r.archiveLoaded, 1);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Fehler: resource.ini konnte nicht verwendet werden.\r\n");
    EXPECT_EQ(boxes.boxes[1].text, "Fehler: controlpos.ini konnte nicht verwendet werden.\r\n");
    EXPECT_EQ(str(r.getStyle("SButton-form")), "7,7");
}
