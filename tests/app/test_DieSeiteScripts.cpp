#include "DieSeiteFixture.h"
#include "SFileIni.h"
#include "SLanguage.h"
#include "TempDir.h"
#include "WriteFaults.h"
#include "testing/RecordedProgramStarts.h"

#include <string>
#include <vector>

namespace {

// The page with a user configuration file of its own in a temporary folder.
class DieSeiteScripts : public DieSeiteFixture {
protected:
    void SetUp() override {
        DieSeiteFixture::SetUp();
        configPath = dir.file("zyntra.cfg");
        ASSERT_TRUE(config.open(configPath.c_str(), true));
        seite.userConfig = &config;
        seite.closeMainWindow = [this] { ++closes; };
    }
    std::string setting(const char* section, const char* key) { return str(config.readString(section, key)); }
    std::string list() { return text("dexmode_cmdList"); }

    TempDir dir;
    std::string configPath;
    SFileIni config;
    int closes = 0;
    RecordedProgramStarts starts;
};

// A command list with the bytes that matter: CR LF line ends, the degree sign for a CR inside a
// line and the acute accent the output makes of an apostrophe.
const std::string someList = "# Liste\r\nm:main\xB0mode mm\r\n!echo it\xB4s\r\nm:twi\xB0scan";

}  // namespace

TEST_F(DieSeiteScripts, SavedListLoadsBackByteForByteAndEachDialogProposesItsOwnFile) {
    ::mkdir(dir.file("in").c_str(), 0700);
    ::mkdir(dir.file("out").c_str(), 0700);
    dir.write("in/list.txt", someList);

    dialogs.fileAnswers = {dir.file("in/list.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptload"));
    EXPECT_EQ(list(), someList);
    EXPECT_EQ(takeScripts(), std::vector<std::string>{"tabSelect('mytabScriptTWI','Skipt ausf\xFChren');"});

    dialogs.fileAnswers = {dir.file("out/copy.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));
    EXPECT_EQ(dir.read("out/copy.txt"), someList);

    // Loading the saved file gives the same list again.
    typeList("something else");
    dialogs.fileAnswers = {dir.file("out/copy.txt"), dir.file("out/copy.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptload"));
    EXPECT_EQ(list(), someList);
    dialogs.answers = {IDYES};  // the save dialog asks before it overwrites copy.txt
    EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));

    ASSERT_EQ(dialogs.fileRequests.size(), 4u);
    const FileDialogRequest& firstLoad = dialogs.fileRequests[0];
    EXPECT_FALSE(firstLoad.save);
    EXPECT_EQ(str(firstLoad.title), "Skript-Datei laden");
    ASSERT_EQ(firstLoad.filters.size(), 2u);
    EXPECT_EQ(str(firstLoad.filters[0].name), "Skripte (*.txt)");
    EXPECT_EQ(str(firstLoad.filters[0].pattern), "*.txt");
    EXPECT_EQ(str(firstLoad.filters[1].pattern), "*.*");
    EXPECT_EQ(str(firstLoad.proposedFile), "");
    const FileDialogRequest& firstSave = dialogs.fileRequests[1];
    EXPECT_TRUE(firstSave.save);
    EXPECT_EQ(str(firstSave.title), "Skript-Datei speichern");
    EXPECT_EQ(str(firstSave.defaultExtension), "txt");
    EXPECT_EQ(str(firstSave.proposedFile), "");  // loading does not change where saving starts
    EXPECT_EQ(str(dialogs.fileRequests[2].proposedFile), dir.file("in/list.txt"));
    EXPECT_EQ(str(dialogs.fileRequests[3].proposedFile), dir.file("out/copy.txt"));
    EXPECT_EQ(html("dexmode_info"), "");
    EXPECT_EQ(dialogs.boxes.size(), 1u);

    // The paths reach the disk with the next save of the file.
    ASSERT_TRUE(config.save());
    SFileIni again;
    ASSERT_TRUE(again.open(configPath.c_str()));
    EXPECT_EQ(str(again.readString("directories", "dexmodeScriptLoad")), dir.file("out/copy.txt"));
    EXPECT_EQ(str(again.readString("directories", "dexmodeScriptSave")), dir.file("out/copy.txt"));
}

// Only literals of the program are translated: a list or a file that starts like one
// ("\xB3\xB3key\xB3\xB3default") is kept byte for byte on its way in and out.
TEST_F(DieSeiteScripts, TextThatLooksLikeALiteralIsKeptByteForByte) {
    const std::string marked =
        "\xB3\xB3"
        "Error01\xB3\xB3x\r\n\xB3\xB3"
        "Ende\xB3\xB3y";
    typeList(marked);
    dialogs.fileAnswers = {dir.file("typed.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));
    EXPECT_EQ(dir.read("typed.txt"), marked);

    dir.write("file.txt", marked + "\r\n");
    dialogs.fileAnswers = {dir.file("file.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptload"));
    EXPECT_EQ(list(), marked + "\r\n");
}

TEST_F(DieSeiteScripts, SavedNameWithoutExtensionGetsTxt) {
    struct Case {
        const char* typed;
        const char* written;
    } cases[] = {
        {"liste", "liste.txt"},
        {"liste.txt", "liste.txt"},
        {"liste.cmd", "liste.cmd"},
        {"v1.0/liste", "v1.0/liste.txt"},
    };
    ::mkdir(dir.file("v1.0").c_str(), 0700);
    typeList("m:main");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.fileAnswers = {dir.file(c.typed)};
        EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));
        EXPECT_EQ(dir.read(c.written), "m:main");
        EXPECT_EQ(setting("directories", "dexmodeScriptSave"), dir.file(c.written));
        ::unlink(dir.file(c.written).c_str());
    }
}

TEST_F(DieSeiteScripts, CancelChangesNothing) {
    typeList("m:main");
    const std::string before = str(config.getContent());
    for (const char* url : {"vyx:dexmode:scriptload", "vyx:dexmode:scriptsave"}) {
        SCOPED_TRACE(url);
        dialogs.fileAnswers = {""};
        EXPECT_TRUE(navigate(url));
    }
    EXPECT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(list(), "m:main");
    EXPECT_EQ(str(config.getContent()), before);
    EXPECT_FALSE(config.isModified());
    EXPECT_TRUE(takeScripts().empty());
}

// A file the open dialog does not accept (missing, a folder) is refused there with a box and the
// list stays; a save that fails says why and reports nothing as saved.
TEST_F(DieSeiteScripts, FileErrorsAreShownAndLoseNothing) {
    dir.write("plain", "x");
    ::mkdir(dir.file("folder.txt").c_str(), 0700);
    for (const std::string& path : {dir.file("missing.txt"), dir.file("folder.txt")}) {
        SCOPED_TRACE(path);
        typeList("m:main\r\nm:twi");
        dialogs.boxes.clear();
        dialogs.fileAnswers = {path};
        EXPECT_TRUE(navigate("vyx:dexmode:scriptload"));
        EXPECT_EQ(list(), "m:main\r\nm:twi");
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_NE(dialogs.boxes[0].text.find("Die Datei wurde nicht gefunden."), std::string::npos);
        EXPECT_TRUE(takeScripts().empty());
    }
    dialogs.boxes.clear();
    struct Case {
        const char* url;
        std::string path;
        const char* what;
        const char* reason;
    } cases[] = {
        {"vyx:dexmode:scriptsave", dir.file("plain/list.txt"),
         "Die Skript-Datei konnte nicht gespeichert werden:", "Not a directory"},
        {"vyx:dexmode:scriptsave", dir.file("no folder/list.txt"),
         "Die Skript-Datei konnte nicht gespeichert werden:", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        typeList("m:main\r\nm:twi");
        seite.setDexmodeInfo("", 'g');
        dialogs.fileAnswers = {c.path};
        EXPECT_TRUE(navigate(c.url));
        EXPECT_EQ(list(), "m:main\r\nm:twi");
        EXPECT_EQ(html("dexmode_info"), "<font class='msgError'>" + std::string(c.what) + " " + c.path +
                                            "<br>" + c.reason + "</font>");
        EXPECT_TRUE(takeScripts().empty());
        EXPECT_TRUE(dialogs.boxes.empty());
    }
    EXPECT_FALSE(dir.exists("no folder"));
}

// A save that cannot finish never costs the file it would have replaced.
TEST_F(DieSeiteScripts, FailedSaveLeavesTheOldFile) {
    ::mkdir(dir.file("locked").c_str(), 0700);
    const std::string old = dir.write("locked/list.txt", "m:main\r\n");
    typeList("m:twi\r\nm:main");
    dialogs.answers = {IDYES};  // replace the file
    dialogs.fileAnswers = {old};
    ReadOnlyFolder folder(dir.file("locked"));
    if (!folder.ok()) GTEST_SKIP() << "no folder can be made read-only here";
    EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));
    EXPECT_EQ(dir.read("locked/list.txt"), "m:main\r\n");
    EXPECT_EQ(html("dexmode_info"),
              "<font class='msgError'>Die Skript-Datei konnte nicht gespeichert werden: " + old + "<br>" +
                  folder.reason() + "</font>");
}

TEST_F(DieSeiteScripts, FileNamesAreShownAsTextNotMarkup) {
    dialogs.fileAnswers = {dir.file("<b>x</b>.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:scriptsave"));
    EXPECT_NE(html("dexmode_info").find("&lt;b&gt;x&lt;/b&gt;.txt"), std::string::npos)
        << html("dexmode_info");
}

// ---- the language switch -------------------------------------------------------------------------

TEST_F(DieSeiteScripts, SameLanguageAsksNothing) {
    ASSERT_EQ(str(globalLanguage().languageCode), "de");
    EXPECT_TRUE(navigate("vyx:setLang:de"));
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(starts.starts.empty());
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(dir.read("zyntra.cfg"), "");
}

TEST_F(DieSeiteScripts, CancelledLanguageQuestionLeavesTheFileAlone) {
    config.writeString("setup", "language", "de");
    ASSERT_TRUE(config.save());
    const std::string before = dir.read("zyntra.cfg");
    dialogs.answers = {IDCANCEL};
    EXPECT_TRUE(navigate("vyx:setLang:en"));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "Zum Sprachwechsel wird das Programm neu gestartet.\r\nSoll der Sprachwechsel durchgef\xFChrt "
              "werden?");
    EXPECT_EQ(dialogs.boxes[0].caption, "Frage");
    EXPECT_EQ(dialogs.boxes[0].flags, 0x21u);
    EXPECT_EQ(dir.read("zyntra.cfg"), before);
    EXPECT_FALSE(config.isModified());
    EXPECT_TRUE(starts.starts.empty());
    EXPECT_EQ(closes, 0);
}

TEST_F(DieSeiteScripts, LanguageSwitchSavesTheSettingRestartsAndCloses) {
    struct Case {
        const char* name;
        std::string failWith;  // the start fails with this reason
        size_t boxes;          // the question, and the box of a failed start
    } cases[] = {
        {"started", "", 1},
        {"start failed", "Permission denied", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        config.writeString("setup", "language", "de");
        ASSERT_TRUE(config.save());
        dialogs.boxes.clear();
        starts.starts.clear();
        starts.failWith = c.failWith;
        closes = 0;
        dialogs.answers = {IDOK};
        EXPECT_TRUE(navigate("vyx:setLang:en"));
        EXPECT_FALSE(config.isModified());
        SFileIni onDisk;
        ASSERT_TRUE(onDisk.open(configPath.c_str()));
        EXPECT_EQ(str(onDisk.readString("setup", "language")), "en");
        ASSERT_EQ(starts.starts.size(), 1u);
        EXPECT_EQ(starts.starts[0].program, str(SResources::getOwnProgramPath()));
        EXPECT_TRUE(starts.starts[0].arguments.empty());
        ASSERT_EQ(dialogs.boxes.size(), c.boxes);
        if (c.boxes > 1) {
            EXPECT_EQ(dialogs.boxes[1].text, "Das Programm konnte nicht gestartet werden:\r\n" +
                                                 starts.starts[0].program + "\r\n" + c.failWith);
        }
        EXPECT_EQ(closes, 1);
    }
}

// A setting that cannot be saved would bring the new instance up in the old language: the error is
// shown and nothing is restarted.
TEST_F(DieSeiteScripts, LanguageThatCannotBeSavedRestartsNothing) {
    config.writeString("setup", "language", "de");
    ASSERT_TRUE(config.save());
    ::unlink(configPath.c_str());
    ASSERT_EQ(::rmdir(dir.path().c_str()), 0);
    dialogs.answers = {IDOK};
    EXPECT_TRUE(navigate("vyx:setLang:en"));
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[1].caption, "Fehler !");
    EXPECT_EQ(dialogs.boxes[1].text.rfind("Die Spracheinstellung konnte nicht gespeichert werden:\r\n", 0),
              0u)
        << dialogs.boxes[1].text;
    EXPECT_EQ(setting("setup", "language"), "de");
    EXPECT_TRUE(starts.starts.empty());
    EXPECT_EQ(closes, 0);
    ::mkdir(dir.path().c_str(), 0700);
}
