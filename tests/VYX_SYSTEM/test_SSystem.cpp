#include "SSystem.h"

#include "EnvVar.h"
#include "TempDir.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
