// Helpers for the simulator tests: the test opens the simulator's slave side with plain POSIX
// calls, as the program does, and plays the program.
#pragma once

#include "ZyntraSim.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace simtest {

const std::string kFrame = "\xE6\xB5\xBA\xB9\xB2\xB3\xA9";

class Port {
public:
    explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Port() { close(); }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void write(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else
                waitFor(POLLOUT, 1000);
        }
    }
    // Everything up to and including the first line feed, or what came within the limit.
    std::string readLine(int limitMs = 5000) { return read(limitMs, true); }
    // Everything that arrives within the given time.
    std::string readFor(int ms) { return read(ms, false); }
    // True when the device side has gone (the simulator closed the pseudo-terminal).
    bool vanished(int limitMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 && (p.revents & (POLLHUP | POLLERR))) return true;
            char c;
            if (p.revents & POLLIN) {
                const ssize_t n = ::read(fd_, &c, 1);
                if (n == 0 || (n < 0 && errno == EIO)) return true;
            }
        }
        return false;
    }

    std::string frame(const std::string& command) {
        write(kFrame + command);
        return readLine();
    }
    std::string dex(const std::string& line) {
        write(line + "\n");
        return readLine();
    }

private:
    bool waitFor(short events, int ms) {
        pollfd p{fd_, events, 0};
        return ::poll(&p, 1, ms) > 0;
    }
    std::string read(int limitMs, bool toLineEnd) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        char buf[4096];
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                    .count();
            if (left <= 0) return got;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) continue;
                return got;  // the device has gone
            }
            got.append(buf, static_cast<size_t>(n));
            if (toLineEnd && got.find('\n') != std::string::npos) return got;
        }
    }

    int fd_;
};

// A running simulator and the port opened on it.
class SimFixture : public ::testing::Test {
protected:
    void SetUp() override { startWith(ZyntraSimOptions()); }
    void startWith(const ZyntraSimOptions& options) {
        port.reset();
        sim.reset(new ZyntraSim(options));
        ASSERT_TRUE(sim->start()) << sim->lastError();
        port.reset(new Port(sim->slavePath()));
        ASSERT_TRUE(port->ok());
    }
    // Puts the device into Dexmode and its manual mode.
    void enterDexmode() {
        ASSERT_EQ(port->frame("m"), "mode m Dexmode OK\n");
        ASSERT_EQ(port->dex("m:main\rmode mm"), "{00}OK\n");
    }

    std::unique_ptr<ZyntraSim> sim;
    std::unique_ptr<Port> port;
};

// Waits until the condition holds, up to a generous limit.
template <typename F>
bool eventually(F condition, int limitMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace simtest
