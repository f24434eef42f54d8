// The Zyntra's firmware as the simulator sees it: framed commands and Dexmode lines in,
// answer lines out. No I/O and no timing; ZyntraSim does the framing and the delivery.
#pragma once

#include "SimModules.h"
#include "ZyntraSim.h"

#include <string>

namespace zsim {

class Device {
public:
    explicit Device(const ZyntraSimOptions& options);
    // Applies the options that describe the hardware (target, modules, temperature, identity).
    void configure(const ZyntraSimOptions& options);
    void setTemperature(double celsius);

    // A framed command (the text after the frame bytes); the answer line, or "" for none.
    std::string frame(const std::string& command);
    // A line received in Dexmode, without its line feed; overflow marks a line that was cut.
    // The answer line, or "" when the device is not in Dexmode.
    std::string line(const std::string& text, bool overflow);
    bool inDexmode() const { return mode_ == 'm' && !foreign_; }

    void fillState(ZyntraSimState& state);

private:
    struct Result {
        std::string output;  // may be empty
        int status = 0;      // 0 accepted, otherwise the status code of the refusal
    };
    Result execute(const std::string& command);
    Result execGlobal(const std::string& name, const std::string& args, bool& handled);
    Result execMain(const std::string& name, const std::string& args);
    Result execSet(const std::string& name, const std::string& args);
    Result execSpi(const std::string& name, const std::string& args);
    Result execTwi(const std::string& name, const std::string& args);
    TwiChip* chipAt(int address);
    void leaveManual();
    long sckHz() const;

    std::string versionText_;
    bool foreign_ = false;
    char mode_ = 'p';
    std::string group_ = "main";
    bool manual_ = false;
    int spiSpeed_ = -1;
    int spiSlow_ = -1;
    int spiSource_ = -1;  // -1 SPI stopped, 0 spiSpeed, 1 spiSlow
    AvrTarget target_;
    Rtc rtc_;
    Lm75 lm75_;
    Eeprom eeprom_;
    bool rtcPresent_ = true;
    bool lm75Present_ = true;
    bool eepromPresent_ = true;
};

}  // namespace zsim
