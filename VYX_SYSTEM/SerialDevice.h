#pragma once

#include <cstdint>

class SString;
class SStringList;

// The serial device seam: everything SComPort needs of the operating system's serial driver, in
// SComPort's own terms. One implementation file per platform (posix/SerialDevice.cpp on termios);
// nothing above this header sees the platform's serial headers.
//
// Conventions: a handle is 0 when there is no device; functions that can fail return false (or
// -1) and leave the reason in serialErrorText() of the calling thread. Port names ("COM1" ...
// "COM19") are turned into device paths by SComPortMap before they reach this seam.

using SerialHandle = std::intptr_t;

// The line state found when a device was opened, kept whole so that it can be written back
// unchanged. Opaque above the seam; big enough for every platform's control block.
struct SerialSavedState {
    alignas(8) unsigned char data[256];
    bool valid = false;
};

// The line parameters SComPort applies; codes as in SComPortSettings (parity 0 none, 1 odd,
// 2 even, 3 mark, 4 space; stop bits 0 one, 1 one and a half, 2 two).
struct SerialLine {
    int baudRate;
    int parity;
    int dataBits;
    int stopBits;
};

// Opens the device for reading and writing, exclusively: a device that another opener holds fails
// with the system's "busy" error. The handle is non-blocking underneath; use the waits below.
SerialHandle serialOpen(const char* devicePath);
void serialClose(SerialHandle handle);

bool serialSaveState(SerialHandle handle, SerialSavedState& state);
bool serialRestoreState(SerialHandle handle, const SerialSavedState& state);
// Applies the line parameters in raw mode: no echo, no line editing, no character translation,
// no hardware or software flow control; every other setting keeps the driver's value.
bool serialSetLine(SerialHandle handle, const SerialLine& line);

enum class SerialModemResult { raised, notSupported, failed };
// Raises DTR and RTS. A pseudo-terminal has no modem lines: that gives notSupported.
SerialModemResult serialRaiseModemLines(SerialHandle handle);

// Discards everything queued in the driver in both directions.
bool serialPurge(SerialHandle handle);

enum class SerialWait { input, timeout, gone };
// Waits until input is ready, at most timeoutMs (capped at 50 ms, so a caller polling a stop
// flag notices it within one step). gone: the device hung up or failed.
SerialWait serialWaitInput(SerialHandle handle, int timeoutMs);
// Reads what has arrived, up to capacity bytes, without waiting. Returns the count (0 when
// nothing is there) or -1 when the device has gone.
int serialReadAvailable(SerialHandle handle, unsigned char* buffer, int capacity);

// Writes all bytes, blocking until they are handed to the driver or timeoutMs has passed; a
// time-out fails with the system's time-out error.
bool serialWrite(SerialHandle handle, const unsigned char* bytes, int count, int timeoutMs);

// The serial devices found on this machine, in a stable order (see docs/ports.md): the list is
// replaced by their paths. Returns their number.
int serialEnumerate(SStringList& paths);
// The same below another device folder than /dev (for tests of the order rules).
int serialEnumerateUnder(const char* deviceFolder, SStringList& paths);

// The system's message for the last failed call on this thread.
SString serialErrorText();
// True when the last failed call on this thread found the device but this user may not open it
// (on Linux: not in the group that owns the device node).
bool serialErrorIsAccessDenied();
