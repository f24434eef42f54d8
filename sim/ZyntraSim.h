// zyntra-sim: a stand-in for the Zyntra programmer on a pseudo-terminal.
//
// The simulator opens a pseudo-terminal, keeps its slave side in raw mode and serves the
// master side on its own thread: framed device commands in any mode, Dexmode command lines,
// the SPI speed settings with an AVR target behind them, and the Vexo chips on the TWI bus.
// The command language is described in docs/zyntra-sim.md.
//
// Plain C++17 and POSIX; it depends on nothing else of the project.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class ZyntraSimMisbehaviour {
    None,
    NoAnswer,       // commands are carried out, answers are withheld
    LateAnswer,     // answers come lateAnswerMs late
    Garbage,        // answers are replaced by a line of random bytes
    Flood,          // floodBytes bytes without a line feed come before each answer
    NulBytes,       // NUL bytes are mixed into the answers
    HangUp,         // half an answer, then the pseudo-terminal is closed
    OldFirmware,    // the identification reports "Zyntra V2.4"
    ForeignDevice,  // another device: answers only "v", without "Zyntra"
    Refusal,        // answers say the command was refused ("?" and an ERROR status)
};

// Which answers a misbehaviour touches (OldFirmware and ForeignDevice always apply to all).
enum class ZyntraSimScope { All, Frames, Lines };

struct ZyntraSimOptions {
    std::string versionText = "Zyntra V3.1";
    ZyntraSimMisbehaviour misbehaviour = ZyntraSimMisbehaviour::None;
    ZyntraSimScope misbehaviourScope = ZyntraSimScope::All;
    int misbehaveAfter = 0;  // answers in the scope served normally before misbehaving
    int lateAnswerMs = 1500;
    int floodBytes = 65536;
    int frameIdleMs = 15;  // the pause that ends a framed command
    // Line speed to simulate: each byte takes its line time (10 bits: start, 8 data, stop) in both
    // directions, so a command is taken only once its bytes have crossed the line and an answer
    // leaves at line speed. 0: no pacing, bytes pass as fast as the pseudo-terminal takes them.
    int baud = 0;
    // AVR target on the SPI lines
    bool targetPresent = true;
    std::array<uint8_t, 3> targetSignature{{0x1E, 0x95, 0x0F}};  // ATmega328P
    long targetMaxSckHz = 250000;  // a 1 MHz target clock allows a quarter of it
    // Vexo modules on the TWI bus
    bool rtcPresent = true;
    bool lm75Present = true;
    bool eepromPresent = true;
    bool rtcFromHost = false;  // start with the clock set to the host's local time, running
    double temperature = 21.5;
    bool trace = false;  // write the traffic to stderr
};

// What a test can observe of the device.
struct ZyntraSimState {
    char mode = 'p';      // 'p', 'm' (Dexmode) or 'u'
    std::string group;    // Dexmode command group
    bool manual = false;  // "mode mm"
    int spiSpeed = -1;    // -1 while unset
    int spiSlow = -1;
    bool targetPowered = false;
    bool targetReset = false;
    bool thermostatActive = false;
    std::array<uint8_t, 256> eeprom{};
    std::array<uint8_t, 64> rtc{};
    int clientOpens = 0;  // how many times the slave is open by others right now
    bool hungUp = false;
};

// One received command: a framed command text or a Dexmode line without its line feed.
struct ZyntraSimReceived {
    bool framed = false;
    std::string text;
};

namespace zsim {
class Device;
}

class ZyntraSim {
public:
    explicit ZyntraSim(const ZyntraSimOptions& options = ZyntraSimOptions());
    ~ZyntraSim();
    ZyntraSim(const ZyntraSim&) = delete;
    ZyntraSim& operator=(const ZyntraSim&) = delete;

    // Opens a new pseudo-terminal and serves it on a thread. False with lastError() on failure.
    bool start();
    // Ends the thread and closes the pseudo-terminal. Safe to call twice; start() may follow.
    void stop();
    bool running() const { return running_; }
    // True once a HangUp misbehaviour has closed the pseudo-terminal.
    bool hungUp() const { return hungUp_; }
    // The device path the program opens as its serial port.
    std::string slavePath() const;
    std::string lastError() const;

    // Run-time changes; they apply from the next command on. Setting a misbehaviour restarts
    // the misbehaveAfter count.
    ZyntraSimOptions options() const;
    void setOptions(const ZyntraSimOptions& options);
    void setMisbehaviour(ZyntraSimMisbehaviour misbehaviour);
    void setTemperature(double celsius);

    ZyntraSimState state() const;
    // The commands received since the last call, oldest first.
    std::vector<ZyntraSimReceived> takeReceived();
    // The same as texts of one kind only: the Dexmode lines, or the framed commands; the others
    // received meanwhile are dropped.
    std::vector<std::string> takeLines();
    std::vector<std::string> takeFrames();

    // Names used on the command line: "none", "silent", "late", "garbage", "flood", "nul",
    // "hangup", "oldfw", "foreign", "refuse".
    static bool misbehaviourFromName(const std::string& name, ZyntraSimMisbehaviour& out);
    static const char* misbehaviourName(ZyntraSimMisbehaviour misbehaviour);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> hungUp_{false};
};
