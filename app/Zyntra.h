#pragma once

#include "SComPort.h"

// The programmer device on its serial port: knows the device's line (19200 baud, 8N1, DTR and RTS
// raised), how a device command is framed (seven prefix bytes, then the command text, nothing
// after it) and how long the device takes to answer one (200 ms, 400 ms for the version query).
// An answer is every byte up to and including the first line feed. What the answers mean is up to
// the callers.
class Zyntra : public SComPort {
public:
    Zyntra() = default;
    const char* getClassName() const override { return "Zyntra"; }
    // Closes the port while the object is still a Zyntra (see SComPort.h). A class derived from
    // it that overrides onReceive closes it in its own destructor again.
    ~Zyntra() override;

    // Opens the port and sets the device's line; 1 only when both succeeded.
    int open(const SString& portName, void* notifyWindow = nullptr);
    // Sends one framed command after dropping whatever was still pending, and reads its one-line
    // answer; 1 when the command was written and a whole line came within 200 ms. The answer (line
    // end included) goes to *answer only then.
    int sendCmd(const SString& command, SString* answer = nullptr);
    // The version text: the second 0xF7-separated field of the device's identification line.
    // Empty when the device did not answer; the raw bytes that came when the line did not end in
    // time. Nothing is dropped before the query.
    SString getVersion();
    // The version field of a whole identification line: the bytes between its first and second
    // 0xF7, or all after the first when there is no second one (line end included); empty without
    // any 0xF7.
    static SString versionField(const SString& line);

    // The seven bytes in front of every device command ("\xE6\xB5\xBA\xB9\xB2\xB3\xA9").
    static const char* const framePrefix;
    static const int commandTimeout = 200;
    static const int versionTimeout = 400;
};
