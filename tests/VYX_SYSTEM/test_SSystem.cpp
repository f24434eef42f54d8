#include "SSystem.h"

#include "EnvVar.h"
#include "TempDir.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

TEST(SSystem, ErrorTexts) {
    EXPECT_EQ(str(SSystem::getErrorText(ENOENT)), "No such file or directory");
    EXPECT_EQ(str(SSystem::getErrorText(EACCES)), "Permission denied");
    EXPECT_EQ(str(SSystem::getErrorText(123456)), "Unbekannter Fehler 123.456.");
    EXPECT_EQ(str(SSystem::getErrorText(0)), "Unbekannter Fehler 0.");
}

TEST(SSystem, Environment) {
    EnvVar set("VYX_TEST_VALUE", "a=b \xC3\xBC");  // UTF-8 in the environment, Windows-1252 above
    EnvVar unset("VYX_TEST_UNSET", nullptr);
    EXPECT_EQ(str(SSystem::getEnvironment("VYX_TEST_VALUE")), "a=b \xFC");
    EXPECT_EQ(str(SSystem::getEnvironment("VYX_TEST_UNSET")), "");
}

TEST(SSystem, ConfigurationFoldersFollowXdg) {
    TempDir dir;
    EnvVar home("HOME", dir.path().c_str());
    struct Case {
        const char *configHome, *configDirs;
        int id;
        std::string want;
    } cases[] = {
        {"/xdg/conf", nullptr, 26, "/xdg/conf"},
        {nullptr, nullptr, 26, dir.path() + "/.config"},
        {"relative/conf", nullptr, 26, dir.path() + "/.config"},  // only absolute paths count
        {nullptr, nullptr, 35, "/etc/xdg"},
        {nullptr, "/first:/second", 35, "/first"},
        {nullptr, nullptr, 28, dir.path() + "/.local/share"},
        {nullptr, nullptr, 5, dir.path()},
        {nullptr, nullptr, 9999, ""},
    };
    for (const Case& c : cases) {
        EnvVar configHome("XDG_CONFIG_HOME", c.configHome);
        EnvVar configDirs("XDG_CONFIG_DIRS", c.configDirs);
        EnvVar dataHome("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(str(SSystem::getSpecialFolder(c.id)), c.want) << c.id;
    }

    EnvVar configHome("XDG_CONFIG_HOME", nullptr);
    struct stat st;
    EXPECT_NE(::stat(dir.file(".config").c_str(), &st), 0);
    EXPECT_EQ(str(SSystem::getSpecialFolder(26, true)), dir.path() + "/.config");
    EXPECT_EQ(::stat(dir.file(".config").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

// The started program gets its arguments as they are (no shell splits or expands them) and this
// process's environment; it runs on after the call.
TEST(SSystem, StartedProgramGetsItsArgumentsAndTheEnvironment) {
    TempDir dir;
    EnvVar marker("VYX_TEST_RESTART", "from the parent");
    const std::string out = dir.file("out.txt");
    const std::string script =
        "printf '%s|%s|%s' \"$1\" \"$2\" \"$VYX_TEST_RESTART\" > \"$3.part\" && mv \"$3.part\" \"$3\"";
    ScriptedDialogs dialogs;
    SString error("stale");
    ASSERT_TRUE(SSystem::startProgram("/bin/sh", {"-c", script.c_str(), "sh", "a b", "$HOME", out.c_str()},
                                      false, &error));
    EXPECT_EQ(str(error), "");
    // The program runs detached; its result appears once it has run (bounded wait, not a timing check).
    for (int i = 0; i < 500 && !dir.exists("out.txt"); ++i)
        ::usleep(10000);
    EXPECT_EQ(dir.read("out.txt"), "a b|$HOME|from the parent");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(SSystem, AProgramThatCannotStartIsShownInABox) {
    TempDir dir;
    const std::string notExecutable = dir.write("plain.txt", "text");
    struct Case {
        std::string program;
        const char* reason;
    } cases[] = {
        {dir.file("missing"), "No such file or directory"},
        {notExecutable, "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        ScriptedDialogs dialogs;
        SString error;
        EXPECT_FALSE(SSystem::startProgram(c.program.c_str(), {}, false, &error));
        EXPECT_EQ(str(error), c.reason);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].text,
                  "Das Programm konnte nicht gestartet werden:\r\n" + c.program + "\r\n" + c.reason);
        EXPECT_FALSE(SSystem::startProgram(c.program.c_str(), {}, true));
        EXPECT_EQ(dialogs.boxes.size(), 1u);  // quiet
    }
}
