// The hardware behind the simulated Zyntra: the AVR target on the SPI lines and the three Vexo
// chips on the TWI bus. Each class models the real chip at byte level; none does any I/O.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zsim {

using Clock = std::chrono::steady_clock;

// An AVR in serial programming mode: a 4-byte instruction protocol where every byte shifted
// out is the byte shifted in just before it, except the fourth byte of a read instruction.
class AvrTarget {
public:
    bool present = true;
    std::array<uint8_t, 3> signature{{0x1E, 0x95, 0x0F}};
    long maxSckHz = 250000;

    void setPower(bool on);
    void setReset(bool asserted);
    bool powered() const { return powered_; }
    bool inReset() const { return reset_; }
    bool programming() const { return enabled_; }
    // One SPI byte at the given clock; returns the byte the target shifts out meanwhile.
    uint8_t transfer(uint8_t in, long sckHz);

private:
    void restart();
    uint8_t readData() const;

    bool powered_ = false;
    bool reset_ = false;
    bool enabled_ = false;
    int pos_ = 0;
    std::array<uint8_t, 4> instr_{};
    uint8_t shift_ = 0;
};

// One chip on the TWI bus. A write transaction hands over all data bytes (every byte is
// acknowledged by the simulated chips); a read transaction asks for n bytes.
class TwiChip {
public:
    virtual ~TwiChip() = default;
    virtual void write(const std::vector<uint8_t>& bytes) = 0;
    virtual std::vector<uint8_t> read(int count) = 0;
};

// DS1307-style real-time clock: seven BCD time registers, control register, 56 bytes RAM.
// Time runs from the host's clock while the clock-halt bit (bit 7 of seconds) is clear.
class Rtc : public TwiChip {
public:
    Rtc();
    void write(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> read(int count) override;
    // Sets the time registers to the host's local time and starts the clock.
    void setToHostTime();
    std::array<uint8_t, 64> registers();

private:
    void catchUp();

    std::array<uint8_t, 64> regs_{};
    uint8_t pointer_ = 0;
    Clock::time_point base_;
};

// LM75-style temperature sensor: temperature, configuration, hysteresis and over-temperature
// registers; the thermostat output in comparator mode.
class Lm75 : public TwiChip {
public:
    Lm75();
    void write(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> read(int count) override;
    // Ambient temperature in degrees Celsius, taken to the nearest half degree.
    void setTemperature(double celsius);
    bool thermostatActive() const { return osActive_; }

private:
    void evaluate();
    static uint16_t toRegister(int halfDegrees);
    static int toHalfDegrees(uint16_t reg);

    int ambient_ = 0;    // half degrees
    uint16_t temp_ = 0;  // the converted value, frozen during shutdown
    uint8_t config_ = 0;
    uint16_t hyst_ = 0x4B00;  // 75 degrees
    uint16_t tos_ = 0x5000;   // 80 degrees
    uint8_t pointer_ = 0;
    bool osActive_ = false;
};

// 24C02-style EEPROM: 256 bytes, 8-byte write pages, sequential reads wrap at the end.
class Eeprom : public TwiChip {
public:
    Eeprom() { mem_.fill(0xFF); }
    void write(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> read(int count) override;
    std::array<uint8_t, 256>& memory() { return mem_; }

private:
    std::array<uint8_t, 256> mem_{};
    uint8_t pointer_ = 0;
};

uint8_t toBcd(int value);
int fromBcd(uint8_t bcd);

}  // namespace zsim
