#include "EventLoop.h"
#include "PtyDevice.h"
#include "TestText.h"
#include "Zyntra.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string prefix = "\xE6\xB5\xBA\xB9\xB2\xB3\xA9";

// The test plays the device on a pseudo-terminal: a thread waits for the framed command and
// answers it (or stays silent when the answer is empty).
class ZyntraOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.ok());
        ASSERT_EQ(zyntra.open("COM8"), 1) << zyntra.lastError.getChars();
    }
    void TearDown() override {
        if (responder.joinable()) responder.join();
        zyntra.close(0);
    }
    void answer(size_t commandLength, const std::string& reply) {
        if (responder.joinable()) responder.join();
        received.clear();
        responder = std::thread([this, commandLength, reply] {
            received = device.receive(prefix.size() + commandLength);
            if (!reply.empty()) device.send(reply);
        });
    }
    std::string command() {
        if (responder.joinable()) responder.join();
        return received;
    }

    PtyDevice device{"COM8"};
    Zyntra zyntra;
    std::thread responder;
    std::string received;
};

}  // namespace

TEST_F(ZyntraOnPty, OpenSetsTheDevicesLine) {
    termios t;
    ASSERT_TRUE(device.lineSettings(t));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    EXPECT_STREQ(zyntra.settings.port, "COM8");
    EXPECT_STREQ(zyntra.getClassName(), "Zyntra");
}

TEST_F(ZyntraOnPty, VersionIsTheSecondFieldOfTheIdentificationLine) {
    struct Case {
        std::string reply;
        std::string version;
    } cases[] = {
        {"Zyntra\xF7V3.1 Zyntra USB\xF7serial 42\r\n", "V3.1 Zyntra USB"},
        {"A\xF7"
         "B\n",
         "B\n"},                           // one separator: the rest, line end included
        {"AB\n", ""},                      // no separator: nothing
        {"", ""},                          // no answer
        {"late and cut", "late and cut"},  // no line end in time: the raw bytes
        {"\xF7\xF7\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        answer(1, c.reply);
        EXPECT_EQ(str(zyntra.getVersion()), c.version);
        EXPECT_EQ(command(), prefix + "v");
    }
}

TEST_F(ZyntraOnPty, SendCmdFramesTheCommandAndTakesOneAnswerLine) {
    struct Case {
        const char* command;
        std::string reply;
        int ok;
        std::string answer;
    } cases[] = {
        {"m", "m OK\r\n", 1, "m OK\r\n"},
        {"p", "", 0, "unchanged"},
        {"free text", "no line end", 0, "unchanged"},
        {"%s%n", "100% done\n", 1, "100% done\n"},  // command and answer are no format texts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SString got("unchanged");
        answer(std::strlen(c.command), c.reply);
        EXPECT_EQ(zyntra.sendCmd(c.command, &got), c.ok);
        EXPECT_EQ(command(), prefix + c.command);
        EXPECT_EQ(str(got), c.answer);
    }
    answer(1, "x\n");
    EXPECT_EQ(zyntra.sendCmd("x"), 1);  // no answer string wanted
}

TEST_F(ZyntraOnPty, StaleBytesAreDroppedBeforeACommandButNotBeforeTheVersionQuery) {
    ASSERT_TRUE(device.send("tail of an earlier answer\n"));
    EventLoop::wait(120);  // the reader thread has moved it into the receive buffer
    SString got;
    answer(1, "m OK\n");
    EXPECT_EQ(zyntra.sendCmd("m", &got), 1);
    EXPECT_EQ(str(got), "m OK\n");

    ASSERT_TRUE(device.send("old\xF7"));
    EventLoop::wait(120);
    answer(1, "Zyntra\xF7V3.1\xF7x\n");
    EXPECT_EQ(str(zyntra.getVersion()), "Zyntra");  // "old" took the first field's place
}

TEST(Zyntra, ClosedPortFailsWithTheWriteErrorText) {
    Zyntra zyntra;
    SString got("unchanged");
    EXPECT_EQ(zyntra.sendCmd("v", &got), 0);
    EXPECT_EQ(str(got), "unchanged");
    EXPECT_EQ(str(zyntra.lastError),
              "Fehler beim Schreiben auf den COM-Port: Zugriff auf nicht ge\xF6"
              "ffneten Port.\r\nBitte verwenden Sie zuerst SComPort::open(..)");
    EXPECT_EQ(str(zyntra.getVersion()), "");
}

#ifdef VYX_HAVE_SIM
#include "ZyntraSim.h"

namespace {

// The simulator behind COM11 and the device link opened on it.
class ZyntraOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start()) << sim.lastError();
        setenv("VYX_PORT_COM11", sim.slavePath().c_str(), 1);
        ASSERT_EQ(zyntra.open("COM11"), 1) << zyntra.lastError.getChars();
    }
    void TearDown() override {
        zyntra.close(0);
        sim.stop();
        unsetenv("VYX_PORT_COM11");
    }
    ZyntraSim sim;
    Zyntra zyntra;
};

}  // namespace

TEST_F(ZyntraOnSimulator, VersionTextComesFromTheIdentificationLine) {
    struct Case {
        ZyntraSimMisbehaviour misbehaviour;
        const char* version;
    } cases[] = {
        {ZyntraSimMisbehaviour::None, "Zyntra V3.1"},
        {ZyntraSimMisbehaviour::OldFirmware, "Zyntra V2.4"},
        {ZyntraSimMisbehaviour::ForeignDevice, "Serial Adapter V1.0"},
        {ZyntraSimMisbehaviour::NoAnswer, ""},
    };
    for (const Case& c : cases) {
        sim.setMisbehaviour(c.misbehaviour);
        EXPECT_EQ(str(zyntra.getVersion()), c.version);
    }
}

TEST_F(ZyntraOnSimulator, ModeCommandsAreAnsweredAndSilenceFailsAfterTheLimit) {
    SString answer("unchanged");
    EXPECT_EQ(zyntra.sendCmd("m", &answer), 1);
    EXPECT_EQ(str(answer), "mode m Dexmode OK\n");
    EXPECT_EQ(sim.state().mode, 'm');

    sim.setMisbehaviour(ZyntraSimMisbehaviour::NoAnswer);
    answer = "unchanged";
    EXPECT_EQ(zyntra.sendCmd("p", &answer), 0);
    EXPECT_EQ(str(answer), "unchanged");
    EXPECT_EQ(sim.state().mode, 'p');  // carried out, only the answer was withheld
}

TEST_F(ZyntraOnSimulator, ALateAnswerNeverBecomesTheNextCommandsAnswer) {
    ZyntraSimOptions options = sim.options();
    options.misbehaviour = ZyntraSimMisbehaviour::LateAnswer;
    options.lateAnswerMs = 300;
    sim.setOptions(options);
    SString answer;
    EXPECT_EQ(zyntra.sendCmd("u", &answer), 0);
    EventLoop::wait(400);  // the late answer has come meanwhile
    sim.setMisbehaviour(ZyntraSimMisbehaviour::None);
    EXPECT_EQ(zyntra.sendCmd("m", &answer), 1);
    EXPECT_EQ(str(answer), "mode m Dexmode OK\n");
}
#endif

namespace {

// A page-like class that counts in a member of its own what the reader thread hands it.
class CountingZyntra : public Zyntra {
public:
    ~CountingZyntra() override { close(0); }
    void onReceive(unsigned char byte) override { counts[byte] += 1; }
    std::vector<int> counts = std::vector<int>(256);
};

}  // namespace

// The device keeps sending while the port object goes away: the reader thread must have stopped
// calling onReceive before any part of the object is destroyed. Under the thread sanitizer a late
// call shows as a race on the object's type or on the member the override touches.
TEST(ZyntraDestruction, ReaderStopsBeforeTheObjectIsTakenApart) {
    const std::function<std::unique_ptr<Zyntra>()> makers[] = {
        [] { return std::make_unique<Zyntra>(); },
        [] { return std::unique_ptr<Zyntra>(new CountingZyntra()); },
    };
    for (const auto& make : makers) {
        PtyDevice device{"COM8"};
        ASSERT_TRUE(device.ok());
        std::unique_ptr<Zyntra> zyntra = make();
        ASSERT_EQ(zyntra->open("COM8"), 1) << zyntra->lastError.getChars();
        std::atomic<bool> stop{false};
        std::thread flood([&] {
            // One byte whenever the line has room, so the writer never blocks once nobody reads.
            while (!stop.load()) {
                pollfd p = {device.master, POLLOUT, 0};
                if (poll(&p, 1, 10) == 1) (void)::write(device.master, "x", 1);
            }
        });
        ASSERT_TRUE(EventLoop::waitUntil(2000, [&] { return zyntra->receiveBuffer.getAvailable() > 0; }));
        zyntra.reset();
        stop.store(true);
        flood.join();
    }
}
