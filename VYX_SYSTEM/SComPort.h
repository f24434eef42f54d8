#pragma once

#include "SComPortSettings.h"
#include "SMem.h"
#include "SRingBuffer.h"
#include "SString.h"
#include "SerialDevice.h"

#include <atomic>
#include <thread>

// A serial port: opens the device behind a port name ("COM3", mapped to a device path by
// SComPortMap), configures its line from settings, and receives every incoming byte on a reader
// thread of its own into a ring buffer. Reads wait in steps of at most 50 ms, keep the event loop
// running meanwhile (so the user interface stays alive during a device exchange), and end as soon
// as their bytes are there: the reader thread wakes the loop when it stores some. What a read
// delivers is whole or the read fails: bytes the full buffer had to drop fail the read that would
// have got them (droppedInLastRead).
//
// Threads: every method runs on the user-interface thread; the reader thread only waits for input,
// calls onReceive and fills the ring buffer. handle and readerThread are their shared flags: the
// user-interface thread clears handle to stop the reader, the reader clears readerThread as its
// last act.
//
// Destruction: the reader thread calls the virtual onReceive until the port is closed. The most
// derived class that can override onReceive must therefore close the port in its own destructor:
// by the time this base destructor closes it, the subclass's members are gone and the object is no
// longer of the subclass's type, while the reader may still be inside the override. Zyntra closes
// in its destructor, and every class derived from it that overrides onReceive does the same.
//
// The device is held exclusively while open: a port that another program (or another SComPort)
// holds fails to open.
class SComPort {
public:
    SComPort();
    // Called on the reader thread with every received byte, before it goes into the buffer.
    virtual void onReceive(unsigned char byte);
    virtual const char* getClassName() const { return "SComPort"; }
    // Closes a port that is still open.
    virtual ~SComPort();

    // Opens and configures the port and starts the reader thread. An empty name reopens the port
    // named in settings; another name replaces it there. A port that is still open is closed
    // first. The notify window is kept for the interface's sake; no window messages are sent on
    // this platform.
    int open(const SString& portName, void* notifyWindow = nullptr);
    // Stops the reader thread and closes the device; with keepSettings 0 the line state found at
    // open is written back first. Does nothing when the port is closed.
    void close(int keepSettings = 0);
    // Writes settings into the device's line; a message box when the port is closed.
    int _setState();
    // Parses the settings text into settings (the port name stays) and applies it.
    int configure(const SString& settingsText);
    // Discards what the driver holds in both directions and empties the receive buffer.
    void purge();

    int write(const void* bytes, int count);
    int write(const SString& text);
    int write(char c);
    int write(const SMem& mem);

    // Waits up to timeoutMs for count bytes (count -1: for anything that arrives in that time).
    int read(SMem& buffer, int timeoutMs, int count);
    // Waits up to timeoutMs for the bytes up to and including the terminator.
    int readUntil(SMem& buffer, int timeoutMs, const SString& terminator);
    // The same as text: exactly the bytes received, a NUL delivered as 0xFF; filled also on failure.
    int read(SString& text, int timeoutMs, int count);
    int readUntil(SString& text, int timeoutMs, const SString& terminator);
    // How many bytes the receive buffer dropped in front of the last read's next byte (it was full:
    // the bytes came faster than the reads took them). Such a read fails at once with the whole
    // bytes before the gap. 0 when the last read met no gap, or a write has started a new exchange
    // since.
    int droppedInLastRead() const { return lastReadDropped; }

    bool isOpen() const { return handle.load() != 0; }
    // True when the last open found the device but this user may not open it (on Linux: not in
    // the group that owns the device node), a cause the user can put right.
    bool openWasDenied() const { return accessDenied; }

    SString lastError;
    std::atomic<SerialHandle> handle;
    void* notifyWindow;
    SRingBuffer receiveBuffer;
    SComPortSettings settings;
    std::atomic<int> readerThread;
    unsigned readerThreadId;
    SerialSavedState savedControlBlock;

    // Holds the longest answer of the device twice over before a read must take it: a Dexmode line
    // (at most 2048 bytes) of 255-byte bus reads answers about 130 KB.
    static const int receiveBufferSize = 256 * 1024;
    // Limit of one write: 1000 ms plus 1 ms per byte.
    static const int writeTimeoutBase = 1000;

private:
    void readerLoop();
    // Takes the next received byte: 1; 0 when none is waiting; -1 at a gap of dropped bytes, whose
    // number goes to lastReadDropped.
    int takeByte(unsigned char& byte);
    // Waits one step of a read: false when the port was closed meanwhile.
    bool waitStep(int& remainingMs);
    void traceIfDeviceLost(const char* method);

    std::thread reader;
    std::atomic<bool> deviceLost;
    bool accessDenied = false;
    int lastReadDropped = 0;
};
