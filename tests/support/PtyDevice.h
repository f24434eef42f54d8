#pragma once

// A pseudo-terminal that stands in for a serial device: the test plays the device on the master
// side, and the slave side is put behind a port name ("COM3") through the port map's environment
// variable, so SComPort opens it like a real port. The fixture also keeps a descriptor of the
// slave side open, so the line does not hang up between two opens and its settings can be read.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

class PtyDevice {
public:
    explicit PtyDevice(const char* portName = nullptr) {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        char name[128];
        if (ptsname_r(master, name, sizeof name) != 0) return;
        slavePath = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (portName != nullptr) attach(portName);
    }
    ~PtyDevice() {
        for (const std::string& v : variables)
            unsetenv(v.c_str());
        closeMaster();
        if (slave >= 0) ::close(slave);
    }
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool ok() const { return master >= 0 && slave >= 0; }

    // Puts this device behind the port name (VYX_PORT_<name>) until the fixture ends.
    void attach(const char* portName) {
        std::string variable = std::string("VYX_PORT_") + portName;
        setenv(variable.c_str(), slavePath.c_str(), 1);
        variables.push_back(variable);
    }

    // The device sends bytes to the program.
    bool send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += size_t(n);
        }
        return true;
    }

    // What the program wrote, collected until count bytes came or timeoutMs passed.
    std::string receive(size_t count, int timeoutMs = 2000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                               deadline - std::chrono::steady_clock::now())
                               .count());
            if (left <= 0) break;
            pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) continue;
            char buffer[512];
            ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }

    // The device vanishes: the slave side hangs up.
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }

    bool lineSettings(termios& t) const { return tcgetattr(slave, &t) == 0; }
    bool setLineSettings(const termios& t) const { return tcsetattr(slave, TCSANOW, &t) == 0; }

    int master = -1;
    int slave = -1;
    std::string slavePath;

private:
    std::vector<std::string> variables;
};
