#include "EventLoop.h"
#include "PtyDevice.h"
#include "Zyntra.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

std::string str(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}

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
