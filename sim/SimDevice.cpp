#include "SimDevice.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zsim {

namespace {

enum Status {
    kOk = 0x00,
    kUnknown = 0x01,
    kWrongGroup = 0x02,
    kSyntax = 0x03,
    kRange = 0x04,
    kNotManual = 0x05,
    kSpiOff = 0x06,
    kOverflow = 0x07,
    kNackWrite = 0x20,  // the TWI status values of the bus hardware
    kNackRead = 0x48,
};

const char* reasonText(int status) {
    switch (status) {
        case kUnknown:
            return "UNKNOWN CMD";
        case kWrongGroup:
            return "WRONG GROUP";
        case kSyntax:
            return "SYNTAX";
        case kRange:
            return "RANGE";
        case kNotManual:
            return "NOT MANUAL";
        case kSpiOff:
            return "SPI OFF";
        case kOverflow:
            return "OVERFLOW";
        default:
            return "NACK";
    }
}

std::string statusPart(int status) {
    char buf[48];
    if (status == kOk)
        std::snprintf(buf, sizeof buf, "{00}OK");
    else
        std::snprintf(buf, sizeof buf, "{%02X} %s ERROR", status, reasonText(status));
    return buf;
}

std::string trim(const std::string& s, const char* blanks = " \t") {
    const size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return "";
    const size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A number of one to four hexadecimal digits.
bool parseHex(const std::string& s, int& value) {
    if (s.empty() || s.size() > 4) return false;
    value = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        value = value * 16 + d;
    }
    return true;
}

// Hexadecimal byte pairs without separators; a blank counts as the digit 0.
bool parsePairs(const std::string& s, std::vector<uint8_t>& bytes) {
    if (s.size() % 2 != 0) return false;
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = s[i] == ' ' ? 0 : hexDigit(s[i]);
        const int lo = s[i + 1] == ' ' ? 0 : hexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return true;
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

std::string valueAnswer(int value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X!", value & 0xFF);
    return buf;
}

const char* modeName(char mode) {
    switch (mode) {
        case 'm':
            return "Dexmode";
        case 'u':
            return "UART";
        default:
            return "Programmer";
    }
}

bool inList(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

constexpr int kRtcAddress = 0x68;
constexpr int kLm75Address = 0x48;
constexpr int kEepromAddress = 0x50;

}  // namespace

Device::Device(const ZyntraSimOptions& options) {
    configure(options);
    if (options.rtcFromHost) rtc_.setToHostTime();
}

void Device::configure(const ZyntraSimOptions& options) {
    versionText_ =
        options.misbehaviour == ZyntraSimMisbehaviour::OldFirmware ? "Zyntra V2.4" : options.versionText;
    foreign_ = options.misbehaviour == ZyntraSimMisbehaviour::ForeignDevice;
    target_.present = options.targetPresent;
    target_.signature = options.targetSignature;
    target_.maxSckHz = options.targetMaxSckHz;
    rtcPresent_ = options.rtcPresent;
    lm75Present_ = options.lm75Present;
    eepromPresent_ = options.eepromPresent;
    lm75_.setTemperature(options.temperature);
}

void Device::setTemperature(double celsius) {
    lm75_.setTemperature(celsius);
}

std::string Device::frame(const std::string& command) {
    const std::string cmd = trim(command, " \t\r\n");
    if (foreign_) return cmd == "v" ? "USB-UART\xF7Serial Adapter V1.0\xF7\n" : "";
    if (cmd == "v") return std::string("ZX1\xF7") + versionText_ + "\xF7SN:4711\xF7mode:" + mode_ + "\n";
    if (cmd == "m" || cmd == "p" || cmd == "u") {
        const char next = cmd[0];
        if (next != mode_) {
            // Entering or leaving Dexmode releases the target and starts in the main group.
            leaveManual();
            group_ = "main";
        }
        mode_ = next;
        return std::string("mode ") + mode_ + " " + modeName(mode_) + " OK\n";
    }
    if (cmd == "?") return std::string("mode ") + mode_ + " " + modeName(mode_) + "\n";
    return "? " + cmd + "\n";
}

std::string Device::line(const std::string& text, bool overflow) {
    if (!inDexmode()) return "";
    if (overflow) return "?\r" + statusPart(kOverflow) + "\n";
    std::string answer;
    int status = kOk;
    size_t start = 0;
    while (start <= text.size() && status == kOk) {
        size_t end = text.find('\r', start);
        if (end == std::string::npos) end = text.size();
        const std::string cmd = trim(text.substr(start, end - start));
        start = end + 1;
        if (cmd.empty()) continue;
        const Result r = execute(cmd);
        if (!r.output.empty()) answer += r.output + "\r";
        if (r.status != kOk) {
            answer += cmd.substr(0, cmd.find(' ')) + "?\r";
            status = r.status;
        }
    }
    return answer + statusPart(status) + "\n";
}

Device::Result Device::execute(const std::string& command) {
    const size_t blank = command.find(' ');
    const std::string name = command.substr(0, blank);
    const std::string args = blank == std::string::npos ? "" : trim(command.substr(blank + 1), " ");

    bool handled = false;
    Result r = execGlobal(name, args, handled);
    if (handled) return r;
    if (group_ == "main")
        r = execMain(name, args);
    else if (group_ == "set")
        r = execSet(name, args);
    else if (group_ == "spi")
        r = execSpi(name, args);
    else
        r = execTwi(name, args);
    if (r.status == kUnknown && inList(name, {"mode", "ver", "spiSpeed", "spiSlow", "start", "send", "end",
                                              "w", "r", "ew", "os", "scan"}))
        r.status = kWrongGroup;
    return r;
}

Device::Result Device::execGlobal(const std::string& name, const std::string& args, bool& handled) {
    handled = true;
    if (name.compare(0, 2, "m:") == 0) {
        const std::string group = name.substr(2);
        if (!args.empty()) return {"", kSyntax};
        if (!inList(group, {"main", "set", "spi", "twi"})) return {"", kRange};
        group_ = group;
        return {};
    }
    if (name == "rst" || name == "pwr") {
        const bool isReset = name == "rst";
        if (args.empty()) return {valueAnswer(isReset ? target_.inReset() : target_.powered()), kOk};
        int value = 0;
        if (!parseHex(args, value)) return {"", kSyntax};
        if (value > 1) return {"", kRange};
        if (!manual_) return {"", kNotManual};
        if (isReset)
            target_.setReset(value == 1);
        else
            target_.setPower(value == 1);
        return {};
    }
    if (name == "help") {
        static const char* const any =
            "; any group: m:main m:set m:spi m:twi, rst [00|01], pwr [00|01], help";
        if (group_ == "main") return {std::string("main: mode [mm|ss], ver") + any, kOk};
        if (group_ == "set") return {std::string("set: spiSpeed [00..07], spiSlow [01..FE]") + any, kOk};
        if (group_ == "spi") return {std::string("spi: start 00|01, send <hex bytes>, end") + any, kOk};
        return {std::string("twi: w <sa> <hex>, r <sa> <n>, ew <sa> <hex>, os, scan") + any, kOk};
    }
    handled = false;
    return {};
}

Device::Result Device::execMain(const std::string& name, const std::string& args) {
    if (name == "mode") {
        if (args.empty()) return {manual_ ? "mm!" : "ss!", kOk};
        if (args == "mm")
            manual_ = true;
        else if (args == "ss")
            leaveManual();
        else
            return {"", kRange};
        return {};
    }
    if (name == "ver") return {args.empty() ? versionText_ : "", args.empty() ? kOk : kSyntax};
    return {"", kUnknown};
}

Device::Result Device::execSet(const std::string& name, const std::string& args) {
    int* setting = nullptr;
    int low = 0, high = 0;
    if (name == "spiSpeed") {
        setting = &spiSpeed_;
        high = 7;
    } else if (name == "spiSlow") {
        setting = &spiSlow_;
        low = 1;
        high = 254;
    } else {
        return {"", kUnknown};
    }
    if (args.empty()) return {valueAnswer(*setting < 0 ? 0xFF : *setting), kOk};
    int value = 0;
    if (!parseHex(args, value)) return {"", kSyntax};
    if (value < low || value > high) return {"", kRange};
    *setting = value;
    return {};
}

long Device::sckHz() const {
    // spiSpeed divides the 8 MHz hardware clock by powers of two; spiSlow is a software
    // clock of 500 kHz / n. Unset settings run at 62.5 kHz (7) and 50 kHz (10).
    if (spiSource_ == 0) return 8000000L >> (spiSpeed_ < 0 ? 7 : spiSpeed_);
    return 500000L / (spiSlow_ < 0 ? 10 : spiSlow_);
}

Device::Result Device::execSpi(const std::string& name, const std::string& args) {
    if (name == "start") {
        int source = 0;
        if (!parseHex(args, source)) return {"", kSyntax};
        if (source > 1) return {"", kRange};
        if (!manual_) return {"", kNotManual};
        spiSource_ = source;
        return {};
    }
    if (name == "end") {
        spiSource_ = -1;
        return {};
    }
    if (name == "send") {
        std::vector<uint8_t> bytes;
        if (args.empty() || args.size() > 8 || args.find(' ') != std::string::npos ||
            !parsePairs(args, bytes))
            return {"", kSyntax};
        if (spiSource_ < 0) return {"", kSpiOff};
        std::vector<uint8_t> out;
        for (uint8_t b : bytes)
            out.push_back(target_.transfer(b, sckHz()));
        return {hexBytes(out) + "!", kOk};
    }
    return {"", kUnknown};
}

TwiChip* Device::chipAt(int address) {
    if (address == kRtcAddress && rtcPresent_) return &rtc_;
    if (address == kLm75Address && lm75Present_) return &lm75_;
    if (address == kEepromAddress && eepromPresent_) return &eeprom_;
    return nullptr;
}

Device::Result Device::execTwi(const std::string& name, const std::string& args) {
    if (!inList(name, {"w", "r", "ew", "os", "scan"})) return {"", kUnknown};
    if (!manual_) return {"", kNotManual};
    if (name == "os") return {valueAnswer(lm75Present_ && lm75_.thermostatActive() ? 1 : 0), kOk};
    if (name == "scan") {
        std::string out = "TWI";
        char buf[8];
        for (int a = 0; a < 0x80; ++a)
            if (chipAt(a)) {
                std::snprintf(buf, sizeof buf, " %02X", a);
                out += buf;
            }
        return {out, kOk};
    }

    // w/ew <sa> <pairs> and r <sa> <n>: the rest after the address and one blank is the data.
    const size_t blank = args.find(' ');
    int address = 0;
    if (!parseHex(args.substr(0, blank), address)) return {"", kSyntax};
    if (address > 0x7F) return {"", kRange};
    const std::string rest = blank == std::string::npos ? "" : args.substr(blank + 1);
    TwiChip* chip = chipAt(address);

    if (name == "r") {
        int count = 0;
        if (!parseHex(rest, count)) return {"", kSyntax};
        if (count < 1 || count > 0x100) return {"", kRange};
        if (!chip) return {"", kNackRead};
        return {hexBytes(chip->read(count)) + "!", kOk};
    }
    std::vector<uint8_t> bytes;
    if (!parsePairs(rest, bytes) || (name == "ew" && bytes.empty())) return {"", kSyntax};
    if (!chip) return {"", kNackWrite};
    if (name == "w") {
        chip->write(bytes);
        return {};
    }
    // ew: the first byte is the word address; the data goes out page by page (8 bytes).
    int wordAddress = bytes[0];
    size_t i = 1;
    do {
        std::vector<uint8_t> page{static_cast<uint8_t>(wordAddress)};
        do {
            if (i < bytes.size()) page.push_back(bytes[i++]);
            wordAddress = (wordAddress + 1) & 0xFF;
        } while (i < bytes.size() && (wordAddress & 0x07) != 0);
        chip->write(page);
    } while (i < bytes.size());
    return {};
}

void Device::leaveManual() {
    manual_ = false;
    spiSource_ = -1;
    target_.setReset(false);
    target_.setPower(false);
}

void Device::fillState(ZyntraSimState& state) {
    state.mode = mode_;
    state.group = group_;
    state.manual = manual_;
    state.spiSpeed = spiSpeed_;
    state.spiSlow = spiSlow_;
    state.targetPowered = target_.powered();
    state.targetReset = target_.inReset();
    state.thermostatActive = lm75_.thermostatActive();
    state.eeprom = eeprom_.memory();
    state.rtc = rtc_.registers();
}

}  // namespace zsim
