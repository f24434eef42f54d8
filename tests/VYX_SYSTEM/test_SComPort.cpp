#include "EventLoop.h"
#include "LoopbackListener.h"
#include "PtyDevice.h"
#include "SComPort.h"
#include "SDebug.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const char* const closedWriteText =
    "Fehler beim Schreiben auf den COM-Port: Zugriff auf nicht ge\xF6"
    "ffneten Port.\r\nBitte verwenden Sie zuerst SComPort::open(..)";

// A port opened on a pseudo-terminal at 19200,N,8,1, the test playing the device.
class SComPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.ok());
        ASSERT_EQ(port.open("COM3"), 1) << port.lastError.getChars();
        ASSERT_EQ(port.configure("COM3,19200,N,8,1"), 1) << port.lastError.getChars();
    }
    void TearDown() override { port.close(0); }

    PtyDevice device{"COM3"};
    SComPort port;
};

}  // namespace

TEST(SComPort, OpenFailsAtOnceForAPortWithoutDevice) {
    setenv("VYX_PORT_COM18", "/dev/no-such-serial-device", 1);
    struct Case {
        const char* name;
    } cases[] = {{"COM18"}, {"NOPORT"}};
    for (const Case& c : cases) {
        SComPort port;
        EXPECT_EQ(port.open(c.name), 0);
        EXPECT_EQ(port.handle.load(), 0);
        EXPECT_EQ(port.readerThread.load(), 0);
        EXPECT_EQ(str(port.lastError), std::string("Der Port ") + c.name +
                                           " konnte nicht ge\xF6"
                                           "ffnet werden.");
        EXPECT_STREQ(port.settings.port, c.name);
        port.close(0);  // nothing to do
    }
    unsetenv("VYX_PORT_COM18");
}

TEST(SComPort, ClosedPortRefusesWritesQuietlyAndSettingsWithABox) {
    ScriptedDialogs dialogs;
    SComPort port;
    SMem mem(SString("ab"));
    EXPECT_EQ(port.write(SString("abc")), 0);
    EXPECT_EQ(port.write('x'), 0);
    EXPECT_EQ(port.write(mem), 0);
    EXPECT_EQ(str(port.lastError), closedWriteText);
    EXPECT_TRUE(dialogs.boxes.empty());

    EXPECT_EQ(port.configure("19200,N,8,1"), 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "SComPort::_setState(..) Zugriff auf nicht ge\xF6"
              "ffneten Port.");
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");

    SString text("old");
    EXPECT_EQ(port.readUntil(text, 100, "\n"), 0);  // no handle: fails after the first step
    EXPECT_EQ(str(text), "");
}

TEST_F(SComPortOnPty, ReadUntilReturnsTheBytesUpToTheTerminator) {
    struct Case {
        std::string sent;
        const char* terminator;
        int ok;
        std::string want;
    } cases[] = {
        {"{00}OK\r\n", "\n", 1, "{00}OK\r\n"},
        {"no line end", "\n", 0, "no line end"},
        {"AAB", "AB", 1, "AAB"},  // found right after a partial match
        {"xAAAB\n", "AAB", 1, "xAAAB"},
        {"ABA", "AB", 1, "AB"},
        {std::string("a\0b\n", 4), "\n", 1,
         "a\xFF"
         "b\n"},
        {"\xB3\xB3key\xB3\xB3text\n", "\n", 1,
         "\xB3\xB3key\xB3\xB3text\n"},  // device bytes are not translated
        {"first\nsecond\n", "\n", 1, "first\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        port.purge();
        ASSERT_TRUE(device.send(c.sent));
        SString got;
        EXPECT_EQ(port.readUntil(got, 300, c.terminator), c.ok);
        EXPECT_EQ(str(got), c.want);
    }
    // What followed the terminator stays for the next read.
    SString rest;
    EXPECT_EQ(port.readUntil(rest, 300, "\n"), 1);
    EXPECT_EQ(str(rest), "second\n");
}

TEST_F(SComPortOnPty, ReadTakesCountBytesOrWhateverCameInTime) {
    ASSERT_TRUE(device.send("abcdef"));
    SString got;
    EXPECT_EQ(port.read(got, 300, 4), 1);
    EXPECT_EQ(str(got), "abcd");
    EXPECT_EQ(port.read(got, 300, 4), 0);  // two bytes only
    EXPECT_EQ(str(got), "ef");
    EXPECT_EQ(port.read(got, 100, -1), 0);  // nothing at all
    EXPECT_EQ(str(got), "");
    ASSERT_TRUE(device.send(std::string(1500, 'z')));
    SMem mem;
    EXPECT_EQ(port.read(mem, 300, -1), 1);
    EXPECT_GT(mem.getSize(), 0);
}

TEST_F(SComPortOnPty, WritesReachTheDeviceAndPurgeDropsWhatCameBefore) {
    EXPECT_EQ(port.write(SString("hello\n")), 1);
    EXPECT_EQ(port.write('!'), 1);
    EXPECT_EQ(port.write("\x00\x01", 2), 1);
    EXPECT_EQ(device.receive(9), std::string("hello\n!\x00\x01", 9));

    ASSERT_TRUE(device.send("stale"));
    SString none;
    port.read(none, 100, -1);  // let the reader thread move it into the buffer... and take it
    ASSERT_TRUE(device.send("stale again"));
    EventLoop::wait(150);
    port.purge();
    ASSERT_TRUE(device.send("fresh\n"));
    SString got;
    EXPECT_EQ(port.readUntil(got, 300, "\n"), 1);
    EXPECT_EQ(str(got), "fresh\n");
}

// Bytes that come while nobody reads fill the buffer, which then drops the oldest: the read that
// meets the gap fails at once with the whole bytes before it and says how many were lost.
TEST_F(SComPortOnPty, BytesLostToAFullBufferFailTheReadThatMeetsThem) {
    const int dropped = 600;  // "ad" and the flood's first 598 bytes
    ASSERT_TRUE(device.send("head"));
    std::string flood;
    for (int i = 0; i < SComPort::receiveBufferSize + dropped - 3; ++i)
        flood += char('A' + i % 26);
    SString got;
    EXPECT_EQ(port.read(got, 300, 2), 1);  // "he"; "ad" wait in the buffer
    ASSERT_TRUE(device.send(flood + "\n"));
    // Nobody reads meanwhile; wait for the reader thread to have moved every byte.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (port.receiveBuffer.getOverflowCount() < dropped && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(port.receiveBuffer.getOverflowCount(), dropped);

    EXPECT_EQ(port.readUntil(got, 300, "\n"), 0);
    EXPECT_EQ(str(got), "");
    EXPECT_EQ(port.droppedInLastRead(), dropped);
    EXPECT_EQ(port.write('x'), 1);  // a new exchange
    EXPECT_EQ(port.droppedInLastRead(), 0);
    // Behind the gap the newest bytes are whole.
    EXPECT_EQ(port.readUntil(got, 300, "\n"), 1);
    EXPECT_EQ(str(got), flood.substr(size_t(dropped - 2)) + "\n");
}

TEST(SComPort, CloseRestoresTheLineFoundAtOpenAndEndsTheReader) {
    PtyDevice device("COM4");
    ASSERT_TRUE(device.ok());
    termios before;
    ASSERT_TRUE(device.lineSettings(before));
    cfsetspeed(&before, B2400);
    before.c_lflag |= ICANON | ECHO;
    ASSERT_TRUE(device.setLineSettings(before));

    SComPort port;
    ASSERT_EQ(port.open("COM4"), 1);
    ASSERT_EQ(port.configure("COM4,19200,E,7,2"), 1);
    EXPECT_STREQ(port.settings.port, "COM4");
    EXPECT_EQ(port.readerThread.load(), 1);
    termios during;
    ASSERT_TRUE(device.lineSettings(during));
    EXPECT_EQ(cfgetospeed(&during), speed_t(B19200));
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    // A pseudo-terminal always keeps 8 data bits without parity; the stop bits do pass.
    EXPECT_EQ(during.c_cflag & CSTOPB, tcflag_t(CSTOPB));

    port.close(0);
    EXPECT_EQ(port.handle.load(), 0);
    EXPECT_EQ(port.readerThread.load(), 0);
    termios after;
    ASSERT_TRUE(device.lineSettings(after));
    EXPECT_EQ(cfgetospeed(&after), speed_t(B2400));
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), tcflag_t(ICANON | ECHO));
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
    port.close(0);  // closed already: nothing happens

    // The port opens again after the close, and opening it while open closes it first.
    ASSERT_EQ(port.open(""), 1);
    ASSERT_EQ(port.open("COM4"), 1);
    port.close(0);
}

TEST(SComPort, RefusedSettingsLeaveTheDeviceToClose) {
    PtyDevice device("COM5");
    ASSERT_TRUE(device.ok());
    struct Case {
        const char* settings;
    } cases[] = {{"COM5"}, {"19200,N,9,1"}, {"12345,N,8,1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        SComPort port;
        ASSERT_EQ(port.open("COM5"), 1);
        EXPECT_EQ(port.configure(c.settings), 0);
        EXPECT_EQ(str(port.lastError), "Der Port COM5 konnte nicht konfiguriert werden.(Invalid argument)");
        port.close(0);
    }
    // Settings refused while opening: handle stays set, no reader thread, close releases the device.
    SComPort bad;
    bad.settings.baudRate = 0;
    EXPECT_EQ(bad.open("COM5"), 0);
    EXPECT_NE(bad.handle.load(), 0);
    EXPECT_EQ(bad.readerThread.load(), 0);
    bad.close(0);
    EXPECT_EQ(bad.handle.load(), 0);
    SComPort good;
    EXPECT_EQ(good.open("COM5"), 1);
    good.close(0);
}

TEST(SComPort, APortHeldByAnotherOpenerDoesNotOpen) {
    PtyDevice device("COM6");
    ASSERT_TRUE(device.ok());
    SComPort first;
    ASSERT_EQ(first.open("COM6"), 1);
    SComPort second;
    EXPECT_EQ(second.open("COM6"), 0);
    EXPECT_EQ(second.handle.load(), 0);
    EXPECT_EQ(str(second.lastError),
              "Der Port COM6 konnte nicht ge\xF6"
              "ffnet werden.");
    // The holder is not disturbed, and the port is free again once it is closed.
    ASSERT_TRUE(device.send("still mine\n"));
    SString got;
    EXPECT_EQ(first.readUntil(got, 300, "\n"), 1);
    first.close(0);
    EXPECT_EQ(second.open("COM6"), 1);
    second.close(0);
}

TEST_F(SComPortOnPty, ADeviceThatVanishesMidReadEndsTheReadWithWhatCame) {
    ASSERT_TRUE(device.send("partial"));
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        device.closeMaster();
    });
    SString got;
    EXPECT_EQ(port.readUntil(got, 400, "\n"), 0);
    unplug.join();
    EXPECT_EQ(str(got), "partial");
    EXPECT_EQ(port.write(SString("anyone?\n")), 0);
    EXPECT_FALSE(port.lastError.isEmpty());
    EXPECT_EQ(port.read(got, 100, -1), 0);
    port.close(0);
    EXPECT_EQ(port.handle.load(), 0);
    EXPECT_EQ(port.readerThread.load(), 0);
}

// Leaves the global trace channel on, towards a monitor that is gone: later lines are dropped.
TEST(SComPort, TraceLinesTellTheDevicePathAndTheSystemsReason) {
    LoopbackListener monitor;
    ASSERT_TRUE(monitor.ok());
    globalDebug().enable("127.0.0.1", monitor.port());
    setenv("VYX_PORT_COM17", "/dev/no-such-serial-device", 1);
    SComPort port;
    EXPECT_EQ(port.open("COM17"), 0);
    unsetenv("VYX_PORT_COM17");
    ASSERT_TRUE(monitor.acceptOne());
    std::string trace = monitor.read(100000, 300);
    EXPECT_NE(trace.find(" ### \xF6"
                         "ffne Serial Port COM17\r\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("SComPort::open(..) CreateFile /dev/no-such-serial-device -> hPort=0\r\n"),
              std::string::npos);
    EXPECT_NE(trace.find("SComPort::open(..) Fehler: Der Port COM17 konnte nicht ge\xF6"
                         "ffnet werden. (/dev/no-such-serial-device: No such file or directory)\r\n"),
              std::string::npos);
}
