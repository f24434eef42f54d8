#pragma once

#include "SString.h"

// Line parameters of one serial port, read from and written to a settings text such as
// "COM3,19200,N,8,1" (an optional port field, then baud rate, parity letter, data bits, stop bits).
// Parity and stop-bit codes keep the numbering of the original control block (parity 0 none, 1 odd,
// 2 even, 3 mark, 4 space; stop bits 0 one, 1 one and a half, 2 two), so the serial device seam
// takes them without translation. No range checks here: a value the driver refuses is reported by
// SComPort when it applies the settings.
class SComPortSettings {
public:
    SComPortSettings();
    virtual ~SComPortSettings() = default;
    virtual const char* getClassName() const { return "SComPortSettings"; }

    // port "com1", 9600 baud, no parity, 8 data bits, one stop bit.
    void setDefaults();
    // Replaces the line parameters from the text; a leading port field is skipped, not stored,
    // and the port name returns to its default.
    void parse(const SString& text);
    // "COM1,9600,N,8,1" for the defaults; the whole text upper-cased.
    SString toString() const;

    SString port;
    int baudRate;
    int parity;
    int dataBits;
    int stopBits;
};
