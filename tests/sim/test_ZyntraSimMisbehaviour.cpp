// Misbehaviour on request, and how the pseudo-terminal behaves for the program.
#include "SimTestSupport.h"

#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

using simtest::eventually;
using simtest::Port;
using simtest::SimFixture;

namespace {

const std::string kId = "ZX1\xF7Zyntra V3.1\xF7SN:4711\xF7mode:p\n";

std::string withoutNul(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
    return s;
}

}  // namespace

TEST_F(SimFixture, EachMisbehaviourSpoilsTheAnswer) {
    struct Case {
        ZyntraSimMisbehaviour misbehaviour;
        void (*check)(Port& port);
    } cases[] = {
        {ZyntraSimMisbehaviour::NoAnswer, [](Port& p) { EXPECT_EQ(p.readFor(400), ""); }},
        {ZyntraSimMisbehaviour::LateAnswer,
         [](Port& p) {
             EXPECT_EQ(p.readFor(300), "");  // scheduled 1000 ms late, never earlier
             EXPECT_EQ(p.readLine(), kId);
         }},
        {ZyntraSimMisbehaviour::Garbage,
         [](Port& p) {
             const std::string line = p.readLine();
             EXPECT_EQ(line.back(), '\n');
             EXPECT_EQ(line.find('\n'), line.size() - 1);
             EXPECT_NE(line, kId);
         }},
        {ZyntraSimMisbehaviour::Flood,
         [](Port& p) {
             const std::string line = p.readLine(20000);
             EXPECT_EQ(line.size(), 20000 + kId.size());
             EXPECT_EQ(line.substr(20000), kId);
         }},
        {ZyntraSimMisbehaviour::NulBytes,
         [](Port& p) {
             const std::string line = p.readLine();
             EXPECT_EQ(std::count(line.begin(), line.end(), '\0'), 3);
             EXPECT_EQ(withoutNul(line), kId);
         }},
        {ZyntraSimMisbehaviour::OldFirmware,
         [](Port& p) { EXPECT_EQ(p.readLine(), "ZX1\xF7Zyntra V2.4\xF7SN:4711\xF7mode:p\n"); }},
        {ZyntraSimMisbehaviour::Refusal, [](Port& p) { EXPECT_EQ(p.readLine(), "? \n"); }},
    };
    for (const Case& c : cases) {
        ZyntraSimOptions o = sim->options();
        o.misbehaviour = c.misbehaviour;
        o.lateAnswerMs = 1000;
        o.floodBytes = 20000;
        sim->setOptions(o);
        port->write(simtest::kFrame + "v");
        c.check(*port);
        // Back to normal, the device answers again.
        sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
        EXPECT_EQ(port->frame("v"), kId) << ZyntraSim::misbehaviourName(c.misbehaviour);
    }
}

TEST_F(SimFixture, ForeignDeviceAnswersOnlyItsIdentification) {
    sim->setMisbehaviour(ZyntraSimMisbehaviour::ForeignDevice);
    const std::string id = port->frame("v");
    EXPECT_EQ(id.find("Zyntra"), std::string::npos);
    EXPECT_EQ(id.back(), '\n');
    port->write(simtest::kFrame + "m");
    EXPECT_EQ(port->readFor(300), "");
    port->write("m:set\rspiSpeed\n");
    EXPECT_EQ(port->readFor(300), "");
}

TEST_F(SimFixture, MisbehaviourKeepsToItsScopeAndStartsAfterTheGivenAnswers) {
    ZyntraSimOptions o;
    o.misbehaviour = ZyntraSimMisbehaviour::NoAnswer;
    o.misbehaviourScope = ZyntraSimScope::Lines;
    o.misbehaveAfter = 1;
    sim->setOptions(o);
    EXPECT_EQ(port->frame("v"), kId);
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    EXPECT_EQ(port->dex("m:set\rspiSpeed 02"), "{00}OK\n");
    port->write("m:set\rspiSpeed\n");
    EXPECT_EQ(port->readFor(300), "");
    EXPECT_EQ(sim->state().spiSpeed, 2);  // commands are still carried out
    // A refused line says so as the device does: "?" and an ERROR status.
    o.misbehaviour = ZyntraSimMisbehaviour::Refusal;
    o.misbehaveAfter = 0;
    sim->setOptions(o);
    EXPECT_EQ(port->dex("m:set\rspiSpeed 03"), "?\r{04} RANGE ERROR\n");
    EXPECT_EQ(sim->state().spiSpeed, 3);
}

TEST_F(SimFixture, HangUpClosesThePseudoTerminalInTheMiddleOfAnAnswer) {
    sim->setMisbehaviour(ZyntraSimMisbehaviour::HangUp);
    port->write(simtest::kFrame + "v");
    EXPECT_TRUE(port->vanished());
    EXPECT_TRUE(eventually([&] { return sim->hungUp() && !sim->running(); }));
    // A new start serves a new pseudo-terminal; the device keeps its state.
    sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
    ASSERT_TRUE(sim->start());
    Port again(sim->slavePath());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.frame("v"), kId);
}

TEST_F(SimFixture, WhatThePortMissedWhileClosedIsDropped) {
    sim->setMisbehaviour(ZyntraSimMisbehaviour::LateAnswer);
    ZyntraSimOptions o = sim->options();
    o.lateAnswerMs = 300;
    sim->setOptions(o);
    port->write(simtest::kFrame + "v");
    ASSERT_TRUE(eventually([&] { return !sim->takeReceived().empty(); }));
    port->close();
    ASSERT_TRUE(eventually([&] { return sim->state().clientOpens == 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
    Port again(sim->slavePath());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.readFor(300), "");
    EXPECT_EQ(again.frame("v"), kId);
}

TEST_F(SimFixture, SlaveStartsRawAndCanBeReopenedAfterAnExclusiveOpen) {
    termios tio{};
    ASSERT_EQ(tcgetattr(port->fd(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    port->close();
    ASSERT_TRUE(eventually([&] { return sim->state().clientOpens == 0; }));

    // The program opens the port exclusively; after it closes, it must be able to open again.
    // Root is exempt from the exclusive lock, so the opens run as an unprivileged user.
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    const std::string path = sim->slavePath();
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
            const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
            if (fd < 0) _exit(1);
            ioctl(fd, TIOCEXCL);
            const int second = open(path.c_str(), O_RDWR | O_NOCTTY);
            close(fd);
            _exit(second < 0 ? 0 : 3);  // while open, the lock holds
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "round " << round;
        EXPECT_TRUE(eventually([&] { return sim->state().clientOpens == 0; }));
    }
}
