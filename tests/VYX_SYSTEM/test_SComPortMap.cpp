#include "EnvVar.h"
#include "SComPortMap.h"
#include "SStringList.h"
#include "SerialDevice.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/vyx-portmap-XXXXXX";
        if (mkdtemp(name) != nullptr) path = name;
    }
    ~TempFolder() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    void write(const std::string& relative, const std::string& content) const {
        FILE* f = std::fopen((path + "/" + relative).c_str(), "wb");
        if (f == nullptr) return;
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    std::string path;
};

}  // namespace

TEST(SComPortMap, EnvironmentBeforeConfigurationFileBeforeDevicesFound) {
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    folder.write(
        "terminal.cfg",
        "[setup]\r\nlanguage=de\r\nCOM2=/dev/not-this\r\n[ports]\r\nCOM2=/dev/ttyUSB7\r\n"
        "COM3=/dev/from-config\r\ncom5=/dev/lower-case-key\r\n[ports]\r\nCOM4=/dev/second-section\r\n");
    SComPortMap::setConfigFile((folder.path + "/terminal.cfg").c_str());
    setenv("VYX_PORT_COM3", "/dev/pts/77", 1);

    struct Case {
        const char* name;
        const char* want;
        const char* rule;
    } cases[] = {
        {"COM3", "/dev/pts/77", "VYX_PORT_COM3"},
        {"com3", "/dev/pts/77", "VYX_PORT_COM3"},  // names are upper-cased first
        {"COM2", "/dev/ttyUSB7", "[ports] in "},
        {"COM4", "", ""},  // only the first [ports] section counts
        {"COM5", "", ""},  // keys are upper case
        {"LPT1", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SString rule;
        SString path = SComPortMap::resolve(c.name, &rule);
        if (c.want[0] == 0) {
            // Nothing configured: only a device found on this machine could answer, never a configured one.
            EXPECT_TRUE(path.isEmpty() || path.startsWith("/dev/serial/") || path.startsWith("/dev/tty"));
            EXPECT_FALSE(path == "/dev/second-section" || path == "/dev/lower-case-key");
        } else {
            EXPECT_STREQ(path, c.want);
            EXPECT_TRUE(rule.startsWith(c.rule));
        }
    }
    unsetenv("VYX_PORT_COM3");
    SComPortMap::setConfigFile("");
}

TEST(SComPortMap, DefaultFileIsTheProgramsUserConfigurationFile) {
    // The one the application's settings live in, named after the program file (this test's).
    TempFolder config;
    ASSERT_FALSE(config.path.empty());
    EnvVar configHome("XDG_CONFIG_HOME", config.path.c_str());
    SComPortMap::setConfigFile("");
    EXPECT_EQ(std::string(SComPortMap::getConfigFile().getChars()), config.path + "/test_SComPortMap.cfg");
    // Written as a Linux editor writes it, with bare line feeds.
    config.write("test_SComPortMap.cfg", "[setup]\nlanguage=de\n[ports]\nCOM9=/dev/from-default-file\n");
    SString rule;
    EXPECT_STREQ(SComPortMap::resolve("com9", &rule), "/dev/from-default-file");
    EXPECT_EQ(std::string(rule.getChars()), "[ports] in " + config.path + "/test_SComPortMap.cfg");
}

TEST(SComPortMap, DevicesFoundAreListedByIdFirstThenByNumber) {
    TempFolder dev;
    ASSERT_FALSE(dev.path.empty());
    ASSERT_EQ(mkdir((dev.path + "/serial").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dev.path + "/serial/by-id").c_str(), 0755), 0);
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM1", "ttyACM0", "ttyS0", "tty1"})
        dev.write(name, "");
    ASSERT_EQ(symlink("../../ttyUSB10", (dev.path + "/serial/by-id/usb-Zyntra-if00").c_str()), 0);
    ASSERT_EQ(symlink("../../ttyACM1", (dev.path + "/serial/by-id/usb-Another-if00").c_str()), 0);

    SStringList found;
    ASSERT_EQ(serialEnumerateUnder(dev.path.c_str(), found), 5);
    const std::string d = dev.path;
    const std::string want[] = {d + "/serial/by-id/usb-Another-if00", d + "/serial/by-id/usb-Zyntra-if00",
                                d + "/ttyUSB0", d + "/ttyUSB2", d + "/ttyACM0"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::string(found[i].getChars()), want[i]) << i;
}
