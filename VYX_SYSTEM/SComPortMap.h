#pragma once

#include "SString.h"

// Turns the port names the program uses ("COM1" ... "COM19", any case) into device paths.
// The first rule that gives a path wins:
//
//   1. The environment variable VYX_PORT_<NAME>, e.g. VYX_PORT_COM3=/dev/pts/5. Tests and the
//      device simulator put a pseudo-terminal behind any port name this way.
//   2. The key <NAME> in the section [ports] of the user configuration file, e.g.
//      "[ports]" / "COM3=/dev/ttyUSB0" (keys written in upper case). The file is the one given to
//      setConfigFile, by default the program's user configuration file
//      (SApplicationConfig::ownUserConfigFilePath: ~/.config/zyntra-terminal.cfg for the program).
//   3. The serial devices found on the machine (serialEnumerate: /dev/serial/by-id entries sorted
//      by name, then /dev/ttyUSB* and /dev/ttyACM* not already listed, in number order): COMn is
//      the n-th of them.
//
// A name none of the rules maps has no device; opening it fails at once. docs/ports.md says the
// same for users.
class SComPortMap {
public:
    virtual ~SComPortMap() = default;
    virtual const char* getClassName() const { return "SComPortMap"; }

    // The device path for the port name, or "" when none; how it was found goes to rule (for
    // trace lines: "VYX_PORT_COM3", "[ports] in <file>", "USB device 2").
    static SString resolve(const SString& portName, SString* rule = nullptr);

    // The user configuration file read by rule 2; "" returns to the default.
    static void setConfigFile(const SString& path);
    static SString getConfigFile();

    // A value from an INI file: the line key=value in [section]; "" when absent.
    static SString readIniValue(const SString& file, const SString& section, const SString& key);
};
