#include "DieSeiteFixture.h"
#include "SApplication.h"
#include "SComPortMap.h"
#include "TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// Every port name maps to a device path that does not exist, so the machine's own serial
// adapters and the user's configuration never take part; a test puts the simulator behind one.
class DieSeitePorts : public DieSeiteFixture {
protected:
    void SetUp() override {
        DieSeiteFixture::SetUp();
        SComPortMap::setConfigFile(temp.file("none.cfg").c_str());
        for (int i = 1; i <= 19; ++i)
            ::setenv(name(i).c_str(), temp.file("tty" + std::to_string(i)).c_str(), 1);
    }
    void TearDown() override {
        DieSeiteFixture::TearDown();
        for (int i = 1; i <= 19; ++i)
            ::unsetenv(name(i).c_str());
        SComPortMap::setConfigFile("");
    }
    static std::string name(int i) { return "VYX_PORT_COM" + std::to_string(i); }

    // The simulator behind port (and nothing behind simPort()).
    void startSimOn(const char* port, const ZyntraSimOptions& options = ZyntraSimOptions()) {
        startSim(options);
        ::setenv(variable().c_str(), temp.file("tty7").c_str(), 1);
        ::setenv((std::string("VYX_PORT_") + port).c_str(), sim->slavePath().c_str(), 1);
        page.setValue("port", port);
    }
    // The ports the test and the search tried, from the trace.
    std::vector<std::string> portsTried() {
        std::vector<std::string> ports;
        const std::string head = "DieSeite::testPort(..) suche an Port ";
        for (const std::string& line : traceLines())
            if (line.compare(0, head.size(), head) == 0) ports.push_back(line.substr(head.size()));
        return ports;
    }
    static std::string error(const std::string& text) { return "<font class='msgError'>" + text + "</font>"; }
    static std::string found(const std::string& version) {
        return "<font class='msgOK''><b>" + version + "</font>";
    }

    TempDir temp;
};

// Records the status line at the moment a box comes up.
class BoxWatch : public Dialogs {
public:
    explicit BoxWatch(std::function<std::string()> status) : status(status), previous(setDialogs(this)) {}
    ~BoxWatch() override { setDialogs(previous); }
    int messageBox(const SString& text, const SString& caption, unsigned flags) override {
        boxes.push_back({text.getChars(), caption.getChars(), flags});
        statusAtBox.push_back(status());
        return IDOK;
    }
    std::vector<ScriptedDialogs::Box> boxes;
    std::vector<std::string> statusAtBox;

private:
    std::function<std::string()> status;
    Dialogs* previous;
};

}  // namespace

TEST_F(DieSeitePorts, PortsWithoutAZyntraGiveZeroAndSayWhy) {
    const std::string choose = error("Bitte erst Port ausw\xE4hlen.");
    const std::string notOpened = error(
        "Der COM-Port konnte nicht ge\xF6"
        "ffnet werden.");
    const std::string notFound = error("Es wurde kein Zyntra an diesem Port gefunden.");
    struct Case {
        const char* port;
        ZyntraSimMisbehaviour device;  // None with "COM7": the simulator is not started
        bool sim;
        std::string shown;
    } cases[] = {
        {"nix", ZyntraSimMisbehaviour::None, false, choose},
        {"com3", ZyntraSimMisbehaviour::None, false, choose},
        {"COM3", ZyntraSimMisbehaviour::None, false, notOpened},
        {"COM3", ZyntraSimMisbehaviour::NoAnswer, true, notFound},
        {"COM3", ZyntraSimMisbehaviour::ForeignDevice, true, notFound},
        {"COM3", ZyntraSimMisbehaviour::Garbage, true, notFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.port) + " " + ZyntraSim::misbehaviourName(c.device));
        if (c.sim) {
            ZyntraSimOptions options;
            options.misbehaviour = c.device;
            startSimOn(c.port, options);
        }
        seite.setElementHtml("zyntra_info", "before");
        EXPECT_EQ(seite.testPort(c.port, 0), 0);
        EXPECT_EQ(html("zyntra_info"), "before");
        EXPECT_EQ(seite.testPort(c.port, 1), 0);
        EXPECT_EQ(html("zyntra_info"), c.shown);
        EXPECT_FALSE(seite.isOpen());
        if (c.sim) {
            EXPECT_EQ(sim->takeFrames(), (std::vector<std::string>{"v", "v"}));
            sim.reset();
        }
    }
    // From the page, with no port chosen.
    page.setValue("port", "nix");
    EXPECT_TRUE(navigate("vyx:testPort"));
    EXPECT_EQ(html("zyntra_info"), choose);
    EXPECT_TRUE(dialogs.boxes.empty());
}

// The version is shown first; a firmware older than 2.5 is then warned about once. Major and
// minor compare as numbers; a version text without "V<digits>.<digits>" is not checked.
TEST_F(DieSeitePorts, FoundDeviceShowsItsVersionAndOldFirmwareIsWarnedAbout) {
    struct Case {
        const char* version;
        bool warned;
    } cases[] = {
        {"Zyntra V2.5", false},     {"Zyntra V2.4", true},
        {"Zyntra V2.10", false},    {"Zyntra V10.0", false},
        {"Zyntra V1.9", true},      {"Zyntra", false},
        {"Zyntra V2.x <b>", false}, {"Zyntra V3.1 (V2.4 loader)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ZyntraSimOptions options;
        options.versionText = c.version;
        startSimOn("COM4", options);
        BoxWatch watch([this] { return html("zyntra_info"); });
        EXPECT_TRUE(navigate("vyx:testPort"));
        std::string shown = c.version;
        if (shown.find('<') != std::string::npos) shown = "Zyntra V2.x &lt;b&gt;";
        EXPECT_EQ(html("zyntra_info"), found(shown));
        ASSERT_EQ(watch.boxes.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(
                watch.boxes[0].text,
                "Achtung! \nDer angeschlossene Zyntra hat eine zu alte Firmware.\nUnter www.zyntra.example "
                "finden Sie die akuelle Version.");
            EXPECT_EQ(watch.boxes[0].caption, "Alte Firmware");
            EXPECT_EQ(watch.boxes[0].flags, unsigned(MB_ICONERROR));
            EXPECT_EQ(watch.statusAtBox[0], found(shown));
        }
        EXPECT_EQ(sim->takeFrames(), (std::vector<std::string>{"v", "p"}));
        EXPECT_EQ(sim->state().mode, 'p');
        EXPECT_FALSE(seite.isOpen());
    }
}

TEST_F(DieSeitePorts, SearchSelectsTheFirstPortWithAZyntra) {
    startSimOn("COM5");
    page.setValue("port", "nix");
    traceLines();
    EXPECT_TRUE(navigate("vyx:portSearch"));
    EXPECT_EQ(portsTried(), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5"}));
    EXPECT_EQ(value("port"), "COM5");
    EXPECT_EQ(html("zyntra_info"), found("Zyntra V3.1"));
    EXPECT_FALSE(seite.isOpen());

    // Without a device every port is tried, and the status line says nothing was found.
    sim.reset();
    ::setenv("VYX_PORT_COM5", temp.file("tty5").c_str(), 1);
    page.setValue("port", "COM2");
    EXPECT_TRUE(navigate("vyx:portSearch"));
    std::vector<std::string> all;
    for (int i = 1; i <= 19; ++i)
        all.push_back("COM" + std::to_string(i));
    EXPECT_EQ(portsTried(), all);
    EXPECT_EQ(value("port"), "COM2");
    EXPECT_EQ(html("zyntra_info"), error("Es wurde kein Zyntra gefunden."));
    EXPECT_TRUE(dialogs.boxes.empty());
    // Each test of a port shows the busy pointer and takes it away again.
    EXPECT_EQ(dialogs.waitCursor.size(), 2u * (5 + 19));
    EXPECT_EQ(globalApplication().getWaitCursorCount(), 0);
}

// A device the user may not open (the usual case: not in the group "dialout") is named as such,
// in the port test and at the end of a search that found nothing. Run in a child process that
// gives up root rights, since root may open any device.
TEST_F(DieSeitePorts, PortWithoutPermissionIsNamedAsSuch) {
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    // The folder open to everyone (the other ports stay missing), the device to nobody.
    ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
    const std::string device = temp.write("ttyUSB0", "");
    ASSERT_EQ(::chmod(device.c_str(), 0), 0);
    ::setenv("VYX_PORT_COM3", device.c_str(), 1);
    const std::string why =
        "Keine Berechtigung f\xFCr den Port: Ihr Benutzer geh\xF6rt nicht zur Gruppe, der das Ger\xE4t "
        "geh\xF6rt (meist dialout). Nehmen Sie ihn in diese Gruppe auf und melden Sie sich neu an. (COM3: " +
        device + ")";
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
            int failures = 0;
            if (seite.testPort("COM3", 1) != 0) ++failures;
            if (html("zyntra_info") != error(why)) {
                std::fprintf(stderr, "port test shows: %s\n", html("zyntra_info").c_str());
                ++failures;
            }
            seite.portSearch();
            if (html("zyntra_info") != error("Es wurde kein Zyntra gefunden. " + why)) {
                std::fprintf(stderr, "search shows: %s\n", html("zyntra_info").c_str());
                ++failures;
            }
            std::_Exit(failures == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
