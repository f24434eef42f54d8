#include "SFileIni.h"

#include "EnvVar.h"
#include "SApplicationConfig.h"
#include "SStringList.h"
#include "TempDir.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> entries(const SStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.getCount(); ++i)
        out.push_back(str(list.getAt(i)));
    return out;
}

std::string masked(const std::string& body, int number) {
    std::string text = "[vyxContentMask+" + std::to_string(number) + "]\r\n";
    for (char c : body)
        text += char(c ^ char((number - SFileIni::maskOffset) & 0xFF));
    return text;
}

class SFileIniTest : public ::testing::Test {
protected:
    // Opens a file with the given content in the test's folder.
    void load(SFileIni& ini, const std::string& content, const std::string& name = "test.ini") {
        ASSERT_TRUE(ini.open(dir.write(name, content).c_str())) << str(ini.getErrorText());
    }
    TempDir dir;
};
}  // namespace

TEST_F(SFileIniTest, ReadsKeysOnlyInsideTheirSection) {
    SFileIni ini;
    load(ini,
         "[ComPortCOM3]\r\nBaud=19.200\r\nEmpty=\r\nBlanks = 9600\r\nValue= a b \r\n"
         "[Other]   \r\nBaud=1\r\nLast=end\r\n  [Indented]\r\nx=1\r\n[Lower]\r\nk=lf\nnext=2");
    struct Case {
        const char *section, *key, *want;
    } cases[] = {
        {"ComPortCOM3", "Baud", "19.200"},
        {"ComPortCOM3", "Empty", ""},
        {"ComPortCOM3", "Blanks", "default"},  // no blanks allowed around "="
        {"ComPortCOM3", "Value", " a b "},     // not trimmed
        {"ComPortCOM3", "Last", "default"},    // a key of the next section
        {"Other", "Baud", "1"},                // blanks after the header are allowed
        {"Other", "Last", "end"},
        {"Indented", "x", "default"},  // a header preceded by blanks is no header
        {"comportcom3", "Baud", "default"},
        {"Lower", "k", "lf"},  // a bare line feed ends a line too
        {"Lower", "next", "2"},
        {"Missing", "Baud", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(ini.readString(c.section, c.key, "default")), c.want) << c.section << "/" << c.key;

    EXPECT_EQ(ini.readInt("ComPortCOM3", "Baud", 0), 19);
    EXPECT_EQ(ini.readInt("Other", "Baud", 0), 1);
    EXPECT_EQ(ini.readInt("Other", "Missing", 19200), 19);  // the default goes the same way
    EXPECT_EQ(ini.readInt("Other", "Missing", 999), 999);
    EXPECT_FALSE(ini.isModified());
}

TEST_F(SFileIniTest, BareLineFeedsEndLinesAndAreSavedAsCrLf) {
    // As a Linux editor writes the file: every line, the last one included, ends in a line feed.
    struct Case {
        const char* name;
        const char* file;
    } cases[] = {
        {"line feeds", "[setup]\nlanguage=en\n\n[ports]\nCOM3=/dev/ttyUSB0\nCOM4=/dev/ttyACM0\n"},
        {"mixed", "[setup]\r\nlanguage=en\n[ports]\nCOM3=/dev/ttyUSB0\r\nCOM4=/dev/ttyACM0"},
        {"line feed first", "\n[setup]\nlanguage=en\r\n[ports]\r\nCOM3=/dev/ttyUSB0\nCOM4=/dev/ttyACM0\n"},
    };
    for (const Case& c : cases) {
        SFileIni ini;
        load(ini, c.file);
        EXPECT_EQ(str(ini.readString("setup", "language")), "en") << c.name;
        EXPECT_EQ(str(ini.readString("ports", "COM3")), "/dev/ttyUSB0") << c.name;
        SStringList keys, values;
        EXPECT_EQ(ini.readSection("ports", keys, &values), 2) << c.name;
        EXPECT_EQ(entries(values), (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyACM0"})) << c.name;
        EXPECT_EQ(dir.read("test.ini"), c.file) << c.name << ": nothing written while unmodified";

        ini.writeString("ports", "COM5", "/dev/ttyUSB1");
        ini.writeString("setup", "language", "de");
        // A value is one line: a file name with a line feed cannot add a line of its own.
        ini.writeString("directories", "dexmodeScriptSave", "/tmp/a\n[setup]\nlanguage=xx");
        ASSERT_TRUE(ini.save()) << c.name;
        const std::string saved = dir.read("test.ini");
        bool bareLineFeed = false;
        for (size_t i = 0; i < saved.size(); ++i)
            bareLineFeed = bareLineFeed || (saved[i] == '\n' && (i == 0 || saved[i - 1] != '\r'));
        EXPECT_FALSE(bareLineFeed) << c.name << ": " << saved;
        SFileIni again;
        load(again, saved);
        EXPECT_EQ(str(again.readString("ports", "COM5")), "/dev/ttyUSB1") << c.name;
        EXPECT_EQ(str(again.readString("ports", "COM4")), "/dev/ttyACM0") << c.name;
        EXPECT_EQ(str(again.readString("setup", "language")), "de") << c.name;
        EXPECT_EQ(str(again.readString("directories", "dexmodeScriptSave")), "/tmp/a") << c.name;
    }
}

TEST_F(SFileIniTest, WritesEditTheContentInPlace) {
    struct Case {
        const char* before;
        const char *section, *key, *value;
        const char* after;
    } cases[] = {
        {"[a]\r\nk=1\r\n", "a", "k", "22", "[a]\r\nk=22\r\n"},
        {"[a]\r\nk=1\r\nj=2\r\n", "a", "k", "", "[a]\r\nj=2\r\n"},
        {"[a]\r\nj=2\r\nk=1\r\n", "a", "k", "", "[a]\r\nj=2\r\n"},
        {"[a]\r\n", "a", "k", "", "[a]\r\nk=\r\n"},
        {"[a]\r\nk=1\r\n", "b", "x", "y", "[a]\r\nk=1\r\n\r\n[b]\r\nx=y\r\n"},
        {"[a]\r\nk=1\r\n\r\n[b]\r\nx=2\r\n", "a", "n", "3", "[a]\r\nk=1\r\n\r\nn=3\r\n[b]\r\nx=2\r\n"},
        {"[a]\r\n[b]\r\nk=1\r\n", "a", "k", "2", "[a]\r\nk=2\r\n[b]\r\nk=1\r\n"},
        {"[a]\r\nk=1", "a", "j", "2", "[a]\r\nk=1\r\nj=2\r\n"},  // the final CR LF was added at load
    };
    for (const Case& c : cases) {
        SFileIni ini;
        load(ini, c.before);
        ini.writeString(c.section, c.key, c.value);
        EXPECT_EQ(str(ini.getContent()), c.after) << c.before;
        EXPECT_TRUE(ini.isModified());
    }

    SFileIni ini;
    load(ini, "[a]\r\nold=1\r\n[b]\r\nx=1\r\n");
    ini.writeInt("b", "baud", 19200);
    ini.writeInt("b", "small", -5);
    ini.writeSection("a", "n=1");
    ini.writeSection("s", "a=1\r\n");
    EXPECT_EQ(str(ini.getContent()),
              "[a]\r\nn=1\r\n[b]\r\nx=1\r\nbaud=19.200\r\nsmall=-5\r\n\r\n\r\n[s]\r\na=1\r\n");
    EXPECT_EQ(str(ini.readString("b", "baud")), "19.200");

    // Without an open file the writes still edit the content; a later open is not blocked.
    SFileIni fresh;
    fresh.writeString("a", "k", "v");
    fresh.writeString("a", "j", "w");
    EXPECT_EQ(str(fresh.getContent()), "\r\n[a]\r\nk=v\r\nj=w\r\n");
    EXPECT_FALSE(fresh.save());
    EXPECT_TRUE(fresh.open(dir.write("other.ini", "[z]\r\n").c_str()));
}

TEST_F(SFileIniTest, SectionsAsListsAndNames) {
    SFileIni ini;
    load(ini,
         "[ComPortCOM3]\r\nBaud=9600\r\n\r\n ; comment\r\n  name = value  \r\nnoequals\r\n"
         "[Setup]\r\nlanguage=de\r\n[ComPortCOM1]\r\nBaud=1\r\n[ComPortCOM3]\r\nsecond=1\r\n"
         "[unclosed\r\n[]\r\n");
    SStringList keys, values;
    keys.add("stale");
    EXPECT_EQ(ini.readSection("ComPortCOM3", keys, &values, true), 3);
    EXPECT_EQ(entries(keys), (std::vector<std::string>{"Baud", "name", "noequals"}));
    EXPECT_EQ(entries(values), (std::vector<std::string>{"9600", "value", ""}));
    EXPECT_EQ(ini.readSection("ComPortCOM3", keys, nullptr, false), 4);
    EXPECT_EQ(entries(keys),
              (std::vector<std::string>{"Baud=9600", "; comment", "name = value", "noequals"}));
    EXPECT_EQ(ini.readSection("Missing", keys, &values, true), 0);
    EXPECT_EQ(keys.getCount(), 0);

    struct Case {
        const char* patterns;
        std::vector<std::string> names;
    } cases[] = {
        {"ComPort*", {"ComPortCOM3", "ComPortCOM1"}},
        {"*COM1|Setup", {"Setup", "ComPortCOM1"}},
        {"*", {"ComPortCOM3", "Setup", "ComPortCOM1", ""}},
        {"Setup|Setup", {"Setup"}},
        {"unclosed", {}},
    };
    for (const Case& c : cases) {
        SStringList names;
        EXPECT_EQ(ini.getSectionNames(c.patterns, names), int(c.names.size())) << c.patterns;
        EXPECT_EQ(entries(names), c.names) << c.patterns;
    }
    SStringList names, bodies;
    names.add("Setup");  // names already in the list are not added again
    EXPECT_EQ(ini.getSectionNames("S*|ComPortCOM1", names, &bodies), 1);
    EXPECT_EQ(entries(names), (std::vector<std::string>{"Setup", "ComPortCOM1"}));
    EXPECT_EQ(entries(bodies), (std::vector<std::string>{"Baud=1"}));
}

TEST_F(SFileIniTest, SavingAndTheLifecycle) {
    std::string path = dir.file("new.cfg");
    {
        SFileIni ini;
        ASSERT_FALSE(ini.open(path.c_str()));  // without create a missing file is an error
        EXPECT_EQ(str(ini.getErrorText()), "No such file or directory");
        ASSERT_TRUE(ini.open(path.c_str(), true));
        EXPECT_TRUE(dir.exists("new.cfg"));
        EXPECT_EQ(str(ini.getFileName()), path);
        ini.writeString("setup", "language", "en");
    }  // destruction saves the change
    EXPECT_EQ(dir.read("new.cfg"), "\r\n\r\n[setup]\r\nlanguage=en\r\n");

    dir.write("plain.ini", "[a]\r\nk=1");
    {
        SFileIni ini;
        ASSERT_TRUE(ini.open(dir.file("plain.ini").c_str()));
        EXPECT_EQ(dir.read("plain.ini"), "[a]\r\nk=1");  // nothing written while unmodified
        ini.writeString("a", "k", "2");
        EXPECT_TRUE(ini.save());
        EXPECT_FALSE(ini.isModified());
        EXPECT_EQ(dir.read("plain.ini"), "[a]\r\nk=2\r\n");

        // Opening another file first saves the pending change.
        ini.writeString("a", "k", "3");
        ASSERT_TRUE(ini.open(path.c_str()));
        EXPECT_EQ(dir.read("plain.ini"), "[a]\r\nk=3\r\n");
        EXPECT_EQ(str(ini.readString("setup", "language")), "en");

        // A failed open keeps the content, closes the file, and the destructor then writes nothing.
        ini.writeString("setup", "language", "fr");
        ASSERT_TRUE(ini.save());
        std::string blocked = dir.file("plain.ini") + "/x.ini";
        EXPECT_FALSE(ini.open(blocked.c_str(), true));
        EXPECT_EQ(str(ini.getErrorText()), "Not a directory");
        EXPECT_FALSE(ini.isOpen());
        EXPECT_EQ(str(ini.readString("setup", "language")), "fr");
        ini.writeString("setup", "language", "xx");
    }
    EXPECT_EQ(dir.read("new.cfg"), "\r\n\r\n[setup]\r\nlanguage=fr\r\n");
    EXPECT_EQ(dir.names().size(), 2u);  // no temporary files left behind
}

TEST_F(SFileIniTest, AFailedSaveKeepsTheOldFileAndTheChanges) {
    ASSERT_EQ(::mkdir(dir.file("conf").c_str(), 0700), 0);
    dir.write("conf/app.cfg", "[a]\r\nk=old\r\n");
    SFileIni ini;
    ASSERT_TRUE(ini.open(dir.file("conf/app.cfg").c_str()));
    ini.writeString("a", "k", "new");

    // The folder vanishes and a regular file takes its name: not even root can write there.
    ASSERT_EQ(::rename(dir.file("conf").c_str(), dir.file("moved").c_str()), 0);
    dir.write("conf", "");
    EXPECT_FALSE(ini.save());
    EXPECT_EQ(str(ini.getErrorText()), "Not a directory");
    EXPECT_TRUE(ini.isModified());

    // Once the folder is back, a retry succeeds and replaces the file whole.
    ASSERT_EQ(::unlink(dir.file("conf").c_str()), 0);
    ASSERT_EQ(::rename(dir.file("moved").c_str(), dir.file("conf").c_str()), 0);
    EXPECT_EQ(dir.read("conf/app.cfg"), "[a]\r\nk=old\r\n");
    EXPECT_TRUE(ini.save());
    EXPECT_EQ(str(ini.getErrorText()), "");
    EXPECT_EQ(dir.read("conf/app.cfg"), "[a]\r\nk=new\r\n");
    EXPECT_EQ(dir.names("conf"), std::vector<std::string>{"app.cfg"});
}

TEST_F(SFileIniTest, ReplacingKeepsLinksAndPermissions) {
    std::string target = dir.write("real.cfg", "[a]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(target.c_str(), dir.file("link.cfg").c_str()), 0);
    SFileIni ini;
    ASSERT_TRUE(ini.open(dir.file("link.cfg").c_str()));
    ini.writeString("a", "k", "2");
    ASSERT_TRUE(ini.save());
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("link.cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(dir.read("real.cfg"), "[a]\r\nk=2\r\n");
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SFileIniTest, MaskedContent) {
    const std::string body = "[setup]\r\nlanguage=de\r\n";
    const std::string onDisk = masked(body, 123);
    ASSERT_NE(onDisk.substr(22), body);
    {
        SFileIni ini;
        load(ini, onDisk, "masked.cfg");
        EXPECT_EQ(str(ini.getContent()), "[vyxContentMask-123]\r\n" + body);
        EXPECT_EQ(str(ini.readString("setup", "language")), "de");
        ini.writeString("setup", "language", "en");
        ASSERT_TRUE(ini.save());
        EXPECT_EQ(str(ini.getContent()).substr(0, 16), "[vyxContentMask-");  // plain again in memory
    }
    EXPECT_EQ(dir.read("masked.cfg"), masked("[setup]\r\nlanguage=en\r\n", 123));

    // A header that says "-" on disk is plain there and is masked at the first save.
    SFileIni plain;
    load(plain, "[vyxContentMask-200]\r\n" + body, "plain.cfg");
    EXPECT_EQ(str(plain.readString("setup", "language")), "de");
    plain.writeString("setup", "x", "1");
    ASSERT_TRUE(plain.save());
    EXPECT_EQ(dir.read("plain.cfg"), masked(body + "x=1\r\n", 200));

    // Only the marker, or a number that runs into the masked part: still a round trip.
    for (const std::string& text :
         {std::string("[vyxContentMask+"), std::string("[vyxContentMask+1234567890\r\na=1")}) {
        SFileIni odd;
        load(odd, text, "odd.cfg");
        odd.writeString("x", "y", "z");
        ASSERT_TRUE(odd.save());
        SFileIni again;
        ASSERT_TRUE(again.open(dir.file("odd.cfg").c_str()));
        EXPECT_EQ(str(again.getContent()), str(odd.getContent()));
        EXPECT_EQ(str(again.readString("x", "y")), "z");
    }
}

TEST_F(SFileIniTest, ApplicationConfigurationFiles) {
    EnvVar configHome("XDG_CONFIG_HOME", dir.file("home/.config").c_str());
    EnvVar configDirs("XDG_CONFIG_DIRS", dir.file("etc").c_str());
    ScriptedDialogs boxes;

    SFileIni user;
    ASSERT_TRUE(SApplicationConfig::openUserConfigFile(user, "/usr/bin/zyntra-terminal"));
    EXPECT_EQ(str(user.getFileName()), dir.file("home/.config/zyntra-terminal.cfg"));
    EXPECT_TRUE(dir.exists("home/.config/zyntra-terminal.cfg"));
    // The object is open now: either call succeeds at once and keeps the file.
    EXPECT_TRUE(SApplicationConfig::openComputerConfigFile(user, "/usr/bin/zyntra-terminal"));
    EXPECT_EQ(str(user.getFileName()), dir.file("home/.config/zyntra-terminal.cfg"));

    // The shared folder belongs to the system and is not made on demand.
    SFileIni computer;
    EXPECT_FALSE(SApplicationConfig::openComputerConfigFile(computer, "zyntra.exe"));
    ASSERT_EQ(::mkdir(dir.file("etc").c_str(), 0755), 0);
    ASSERT_TRUE(SApplicationConfig::openComputerConfigFile(computer, "zyntra.exe"));
    EXPECT_EQ(str(computer.getFileName()), dir.file("etc/zyntra.cfg"));
    EXPECT_TRUE(boxes.boxes.empty());

    SFileIni unnamed;
    EXPECT_FALSE(SApplicationConfig::openUserConfigFile(unnamed, ""));
    EXPECT_FALSE(SApplicationConfig::openComputerConfigFile(unnamed, "/usr/bin/"));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(
        boxes.boxes[0].text,
        "Fehler in SApplication::openUserConfigFile(..): Der Dateiname der Anwendung konnte nicht ermittelt "
        "werden.\r\nEventuell haben Sie diese Funktion vor der Verarbeitung der \xDC"
        "bergabeparameter (z.B. in einem Konstruktor) aufgerufen.");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes.boxes[1].text.substr(0, 50), "Fehler in SApplication::openComputerConfigFile(..)");
    EXPECT_FALSE(unnamed.isOpen());
}
