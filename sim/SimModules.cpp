#include "SimModules.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace zsim {

uint8_t toBcd(int value) {
    return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

int fromBcd(uint8_t bcd) {
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

// ---------------------------------------------------------------- AVR target

void AvrTarget::setPower(bool on) {
    powered_ = on;
    restart();
}

void AvrTarget::setReset(bool asserted) {
    reset_ = asserted;
    restart();
}

void AvrTarget::restart() {
    enabled_ = false;
    pos_ = 0;
    shift_ = 0x00;
}

uint8_t AvrTarget::readData() const {
    switch (instr_[0]) {
        case 0x30:  // Read Signature Byte
            return (instr_[2] & 0x03) == 3 ? 0xFF : signature[instr_[2] & 0x03];
        case 0x50:  // low fuse (00) or extended fuse (08)
            return instr_[1] == 0x08 ? 0xFF : 0x62;
        case 0x58:  // high fuse (08) or lock bits (00)
            return instr_[1] == 0x08 ? 0xD9 : 0xFF;
        case 0x38:  // calibration byte
            return 0x9A;
        case 0x20:  // program memory, low and high byte: an erased chip
        case 0x28:
        case 0xA0:  // EEPROM memory
            return 0xFF;
        case 0xF0:  // Poll RDY/BSY: always ready
            return 0x00;
        default:
            return instr_[2];
    }
}

uint8_t AvrTarget::transfer(uint8_t in, long sckHz) {
    if (!present) return 0xFF;   // nothing drives MISO; the line floats high
    if (!powered_) return 0x00;  // an unpowered chip clamps its pins low
    if (!reset_) return 0xFF;    // a running AVR does not listen on its programming interface
    if (sckHz > maxSckHz) {
        // Clocked faster than its own clock allows, the chip samples garbage and loses step.
        restart();
        return 0xFF;
    }
    const uint8_t out = shift_;
    instr_[pos_++] = in;
    shift_ = (pos_ == 3 && enabled_) ? readData() : in;
    if (pos_ == 4) {
        if (instr_[0] == 0xAC && instr_[1] == 0x53) enabled_ = true;
        pos_ = 0;
    }
    return out;
}

// ---------------------------------------------------------------- real-time clock

Rtc::Rtc() : base_(Clock::now()) {
    // Power-on state of the chip: halted at 2000-01-01 00:00:00, weekday 1.
    regs_[0] = 0x80;
    regs_[3] = 0x01;
    regs_[4] = 0x01;
    regs_[5] = 0x01;
    regs_[7] = 0x03;
}

void Rtc::catchUp() {
    const auto now = Clock::now();
    if (regs_[0] & 0x80) {
        base_ = now;
        return;
    }
    const long long elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - base_).count();
    if (elapsed <= 0) return;
    base_ += std::chrono::seconds(elapsed);

    std::tm tm{};
    tm.tm_sec = fromBcd(regs_[0] & 0x7F);
    tm.tm_min = fromBcd(regs_[1] & 0x7F);
    tm.tm_hour = fromBcd(regs_[2] & 0x3F);
    tm.tm_mday = fromBcd(regs_[4] & 0x3F);
    tm.tm_mon = fromBcd(regs_[5] & 0x1F) - 1;
    tm.tm_year = fromBcd(regs_[6]) + 100;
    const time_t before = timegm(&tm);
    const time_t after = before + static_cast<time_t>(elapsed);
    std::tm now_tm{};
    gmtime_r(&after, &now_tm);
    const long long days = after / 86400 - before / 86400;
    int weekday = std::max(1, fromBcd(regs_[3] & 0x07)) - 1;
    weekday = static_cast<int>((weekday + days) % 7) + 1;

    regs_[0] = toBcd(now_tm.tm_sec);
    regs_[1] = toBcd(now_tm.tm_min);
    regs_[2] = toBcd(now_tm.tm_hour);
    regs_[3] = toBcd(weekday);
    regs_[4] = toBcd(now_tm.tm_mday);
    regs_[5] = toBcd(now_tm.tm_mon + 1);
    regs_[6] = toBcd(now_tm.tm_year % 100);
}

void Rtc::write(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return;
    catchUp();
    pointer_ = bytes[0] & 0x3F;
    bool timeWritten = false;
    for (size_t i = 1; i < bytes.size(); ++i) {
        regs_[pointer_] = bytes[i];
        timeWritten = timeWritten || pointer_ < 7;
        pointer_ = (pointer_ + 1) & 0x3F;
    }
    if (timeWritten) base_ = Clock::now();  // writing the time restarts the seconds divider
}

std::vector<uint8_t> Rtc::read(int count) {
    catchUp();
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(regs_[pointer_]);
        pointer_ = (pointer_ + 1) & 0x3F;
    }
    return out;
}

void Rtc::setToHostTime() {
    const time_t now = time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    regs_[0] = toBcd(tm.tm_sec);
    regs_[1] = toBcd(tm.tm_min);
    regs_[2] = toBcd(tm.tm_hour);
    regs_[3] = toBcd(tm.tm_wday == 0 ? 7 : tm.tm_wday);
    regs_[4] = toBcd(tm.tm_mday);
    regs_[5] = toBcd(tm.tm_mon + 1);
    regs_[6] = toBcd(tm.tm_year % 100);
    base_ = Clock::now();
}

std::array<uint8_t, 64> Rtc::registers() {
    catchUp();
    return regs_;
}

// ---------------------------------------------------------------- temperature sensor

Lm75::Lm75() {
    setTemperature(21.5);
}

uint16_t Lm75::toRegister(int halfDegrees) {
    return static_cast<uint16_t>(halfDegrees * 128) & 0xFF80;
}

int Lm75::toHalfDegrees(uint16_t reg) {
    return static_cast<int16_t>(reg & 0xFF80) / 128;
}

void Lm75::setTemperature(double celsius) {
    const long halves = std::lround(celsius * 2.0);
    ambient_ = static_cast<int>(std::clamp(halves, -110L, 250L));  // the chip's -55..+125 degrees
    if (!(config_ & 0x01)) temp_ = toRegister(ambient_);
    evaluate();
}

void Lm75::evaluate() {
    // Comparator mode: on above the over-temperature limit, off again below the hysteresis.
    const int t = toHalfDegrees(temp_);
    if (t > toHalfDegrees(tos_))
        osActive_ = true;
    else if (t < toHalfDegrees(hyst_))
        osActive_ = false;
}

void Lm75::write(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return;
    pointer_ = bytes[0] & 0x03;
    if (bytes.size() >= 2) {
        const uint16_t value = static_cast<uint16_t>(bytes[1] << 8 | (bytes.size() >= 3 ? bytes[2] : 0));
        switch (pointer_) {
            case 1:
                config_ = bytes[1] & 0x1F;
                if (!(config_ & 0x01)) temp_ = toRegister(ambient_);
                break;
            case 2:
                hyst_ = value & 0xFF80;
                break;
            case 3:
                tos_ = value & 0xFF80;
                break;
            default:
                break;  // the temperature register is read-only
        }
    }
    evaluate();
}

std::vector<uint8_t> Lm75::read(int count) {
    if (!(config_ & 0x01)) temp_ = toRegister(ambient_);
    evaluate();
    std::vector<uint8_t> reg;
    switch (pointer_) {
        case 0:
            reg = {static_cast<uint8_t>(temp_ >> 8), static_cast<uint8_t>(temp_)};
            break;
        case 1:
            reg = {config_};
            break;
        case 2:
            reg = {static_cast<uint8_t>(hyst_ >> 8), static_cast<uint8_t>(hyst_)};
            break;
        default:
            reg = {static_cast<uint8_t>(tos_ >> 8), static_cast<uint8_t>(tos_)};
            break;
    }
    // The pointer does not advance: longer reads repeat the register.
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(reg[static_cast<size_t>(i) % reg.size()]);
    return out;
}

// ---------------------------------------------------------------- EEPROM

void Eeprom::write(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return;
    pointer_ = bytes[0];
    for (size_t i = 1; i < bytes.size(); ++i) {
        mem_[pointer_] = bytes[i];
        // Within one write the address rolls over inside its 8-byte page, as on the chip.
        pointer_ = static_cast<uint8_t>((pointer_ & 0xF8) | ((pointer_ + 1) & 0x07));
    }
}

std::vector<uint8_t> Eeprom::read(int count) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(mem_[pointer_++]);
    return out;
}

}  // namespace zsim
