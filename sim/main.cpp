// zyntra-sim: serves a simulated Zyntra on a pseudo-terminal until SIGINT or SIGTERM.
// The first line on stdout is the device path; see docs/zyntra-sim.md.
#include "ZyntraSim.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "usage: zyntra-sim [options]\n"
    "Serves a simulated Zyntra on a pseudo-terminal; prints its path as the first line.\n"
    "  --version-text TEXT   version field of the identification (default \"Zyntra V3.1\")\n"
    "  --misbehave NAME      none, silent, late, garbage, flood, nul, hangup, oldfw, foreign,\n"
    "                        refuse\n"
    "  --scope WHICH         answers the misbehaviour touches: all (default), frames, lines\n"
    "  --after N             answers in the scope served normally first (default 0)\n"
    "  --late-ms N           delay of a late answer (default 1500)\n"
    "  --flood-bytes N       bytes of a flood before the answer (default 65536)\n"
    "  --frame-idle-ms N     pause that ends a framed command (default 15)\n"
    "  --baud N              each byte takes its line time at N baud, both ways (default: no pacing)\n"
    "  --signature HEX6      target signature bytes 0,1,2 (default 1E950F, ATmega328P)\n"
    "  --target-max-sck HZ   fastest SPI clock the target follows (default 250000)\n"
    "  --no-target           no AVR target on the SPI lines\n"
    "  --temp C              temperature at the sensor in degrees Celsius (default 21.5)\n"
    "  --rtc-now             start the clock at the host's local time, running\n"
    "  --no-rtc, --no-temp, --no-eeprom   leave that Vexo module off the TWI bus\n"
    "  --trace               write the traffic to stderr\n"
    "  --help                this text\n"
    "While running, lines on stdin change it: \"temp C\", \"misbehave NAME\", \"quit\".\n"
    "Exit status: 0 stopped, 1 could not start, 2 bad option, 3 the device hung up.\n";

bool parseInt(const char* s, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s, &end, 10);
    return errno == 0 && end != s && *end == '\0';
}

bool parseDouble(const char* s, double& out) {
    char* end = nullptr;
    out = std::strtod(s, &end);
    return end != s && *end == '\0';
}

int usageError(const char* what, const char* value) {
    std::fprintf(stderr, "zyntra-sim: %s%s%s (see --help)\n", what, value ? ": " : "", value ? value : "");
    return 2;
}

void control(ZyntraSim& sim, const std::string& line, bool& quit) {
    char word[32] = "";
    char arg[64] = "";
    if (std::sscanf(line.c_str(), "%31s %63s", word, arg) < 1) return;
    const std::string cmd = word;
    double celsius = 0;
    ZyntraSimMisbehaviour mis{};
    if (cmd == "quit") {
        quit = true;
    } else if (cmd == "temp" && parseDouble(arg, celsius)) {
        sim.setTemperature(celsius);
        std::fprintf(stderr, "zyntra-sim: temperature %.1f\n", celsius);
    } else if (cmd == "misbehave" && ZyntraSim::misbehaviourFromName(arg, mis)) {
        sim.setMisbehaviour(mis);
        std::fprintf(stderr, "zyntra-sim: misbehaviour %s\n", arg);
    } else {
        std::fprintf(stderr, "zyntra-sim: unknown control line: %s\n", line.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    ZyntraSimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        long n = 0;
        auto needs = [&](bool ok) {
            if (ok) ++i;
            return ok;
        };
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version-text") {
            if (!needs(v != nullptr)) return usageError("missing value", a.c_str());
            o.versionText = v;
        } else if (a == "--misbehave") {
            if (!needs(v && ZyntraSim::misbehaviourFromName(v, o.misbehaviour)))
                return usageError("bad misbehaviour", v);
        } else if (a == "--scope") {
            const std::string s = v ? v : "";
            if (!needs(s == "all" || s == "frames" || s == "lines")) return usageError("bad scope", v);
            o.misbehaviourScope = s == "all"      ? ZyntraSimScope::All
                                  : s == "frames" ? ZyntraSimScope::Frames
                                                  : ZyntraSimScope::Lines;
        } else if (a == "--after" || a == "--late-ms" || a == "--flood-bytes" || a == "--frame-idle-ms" ||
                   a == "--target-max-sck" || a == "--baud") {
            if (!needs(v && parseInt(v, n) && n >= 0 && n <= 100000000)) return usageError("bad number", v);
            if (a == "--after")
                o.misbehaveAfter = static_cast<int>(n);
            else if (a == "--late-ms")
                o.lateAnswerMs = static_cast<int>(n);
            else if (a == "--flood-bytes")
                o.floodBytes = static_cast<int>(n);
            else if (a == "--frame-idle-ms")
                o.frameIdleMs = static_cast<int>(n);
            else if (a == "--baud")
                o.baud = static_cast<int>(n);
            else
                o.targetMaxSckHz = n;
        } else if (a == "--signature") {
            unsigned b0, b1, b2;
            char rest;
            if (!needs(v && std::strlen(v) == 6 && std::sscanf(v, "%2x%2x%2x%c", &b0, &b1, &b2, &rest) == 3))
                return usageError("bad signature", v);
            o.targetSignature = {
                {static_cast<uint8_t>(b0), static_cast<uint8_t>(b1), static_cast<uint8_t>(b2)}};
        } else if (a == "--temp") {
            if (!needs(v && parseDouble(v, o.temperature))) return usageError("bad temperature", v);
        } else if (a == "--no-target") {
            o.targetPresent = false;
        } else if (a == "--no-rtc") {
            o.rtcPresent = false;
        } else if (a == "--no-temp") {
            o.lm75Present = false;
        } else if (a == "--no-eeprom") {
            o.eepromPresent = false;
        } else if (a == "--rtc-now") {
            o.rtcFromHost = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else {
            return usageError("unknown option", a.c_str());
        }
    }

    // Block the signals before the serving thread exists, so that only the signalfd sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int sigFd = signalfd(-1, &signals, SFD_CLOEXEC);

    ZyntraSim sim(o);
    if (sigFd < 0 || !sim.start()) {
        std::fprintf(stderr, "zyntra-sim: cannot start: %s\n",
                     sigFd < 0 ? std::strerror(errno) : sim.lastError().c_str());
        return 1;
    }
    std::printf("%s\n", sim.slavePath().c_str());
    std::fflush(stdout);

    bool quit = false;
    bool stdinOpen = true;
    std::string pending;
    while (!quit) {
        pollfd fds[2] = {{sigFd, POLLIN, 0}, {stdinOpen ? 0 : -1, POLLIN, 0}};
        // The timeout only notices a hang-up; everything else wakes the poll.
        if (::poll(fds, 2, 250) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) break;
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char buf[256];
            const ssize_t n = ::read(0, buf, sizeof buf);
            if (n <= 0) {
                stdinOpen = false;
            } else {
                pending.append(buf, static_cast<size_t>(n));
                size_t nl;
                while ((nl = pending.find('\n')) != std::string::npos) {
                    control(sim, pending.substr(0, nl), quit);
                    pending.erase(0, nl + 1);
                }
            }
        }
        if (sim.hungUp()) {
            std::fprintf(stderr, "zyntra-sim: hung up %s\n", sim.slavePath().c_str());
            sim.stop();
            return 3;
        }
    }
    sim.stop();
    return 0;
}
