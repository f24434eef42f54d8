#include "SComPort.h"

#include "EventLoop.h"
#include "RawText.h"
#include "SComPortMap.h"
#include "SDebug.h"
#include "SError.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <system_error>

namespace {

// Sets text to the received bytes exactly, NUL as 0xFF.
void setReceivedText(SString& text, const unsigned char* bytes, int count) {
    std::string copy(count > 0 ? size_t(count) : 0, '\0');
    for (int i = 0; i < count; ++i)
        copy[size_t(i)] = bytes[i] == 0 ? char(0xFF) : char(bytes[i]);
    text = rawText(copy.data(), int(copy.size()));
}

unsigned char* bytesOf(SMem& mem) {
    return mem.getData();
}

// Makes room for at least minFree more bytes behind received; the buffer doubles, so a long answer
// is not copied again for every few hundred bytes.
void makeRoom(SMem& buffer, int received, int minFree) {
    const int size = buffer.getSize();
    if (size - received >= minFree) return;
    buffer.setSize(size + (size > 1000 ? size : 1000));
}

}  // namespace

SComPort::SComPort()
    : handle(0),
      notifyWindow(nullptr),
      readerThread(0),
      readerThreadId(0),
      savedControlBlock(),
      deviceLost(false) {
    receiveBuffer.reset(receiveBufferSize);
}

SComPort::~SComPort() {
    // A port destroyed while open would leave its reader thread running on a dead object.
    if (handle.load() != 0 || reader.joinable()) close(0);
}

void SComPort::onReceive(unsigned char /*byte*/) {}

int SComPort::open(const SString& portName, void* notifyWindowToUse) {
    // A second open would lose the device and the running reader thread of the first.
    if (handle.load() != 0 || reader.joinable()) close(0);
    notifyWindow = notifyWindowToUse;
    if (!portName.isEmpty() && portName != settings.port) settings.port = portName;
    const SString& name = settings.port;
    globalDebug().traceFormat(
        " ### \xF6"
        "ffne Serial Port %s",
        name.getChars());

    SString rule;
    SString devicePath = SComPortMap::resolve(name, &rule);
    SString reason;  // the system's reason for the trace line
    SerialHandle opened = 0;
    accessDenied = false;
    if (devicePath.isEmpty()) {
        reason = SString("kein Ger\xE4t f\xFCr ") + name + " (siehe docs/ports.md)";
    } else {
        opened = serialOpen(devicePath);
        if (opened == 0) {
            reason = devicePath + ": " + serialErrorText();
            accessDenied = serialErrorIsAccessDenied();
        }
    }
    globalDebug().traceFormat("SComPort::open(..) CreateFile %s -> hPort=%d", devicePath.getChars(),
                              int(opened));
    if (!rule.isEmpty())
        globalDebug().trace(SString("SComPort::open(..) ") + name + " -> " + devicePath + " (" + rule + ")");

    deviceLost.store(false);
    bool ok = false;
    if (opened == 0) {
        handle.store(0);
        lastError = SString("Der Port ") + name +
                    " konnte nicht ge\xF6"
                    "ffnet werden.";
    } else {
        handle.store(opened);
        serialSaveState(opened, savedControlBlock);
        if (!savedControlBlock.valid) {
            // Not a serial line at all (a plain file behind the port name).
            reason = devicePath + ": " + serialErrorText();
            lastError =
                SString("Der Port ") + name + " konnte nicht konfiguriert werden.(" + serialErrorText() + ")";
        } else if (_setState()) {
            SerialModemResult modem = serialRaiseModemLines(opened);
            if (modem == SerialModemResult::failed) {
                SString text = serialErrorText();
                reason = devicePath + ": DTR/RTS: " + text;
                lastError = SString("Der Port ") + name + " konnte nicht konfiguriert werden.(" + text + ")";
            } else {
                if (modem == SerialModemResult::notSupported)
                    globalDebug().trace(SString("SComPort::open(..) ") + devicePath +
                                        ": Pseudo-Terminal ohne DTR/RTS");
                readerThread.store(1);
                try {
                    reader = std::thread(&SComPort::readerLoop, this);
                    readerThreadId = unsigned(std::hash<std::thread::id>()(reader.get_id()));
                    ok = true;
                } catch (const std::system_error& e) {
                    readerThread.store(0);
                    reason = e.what();
                    lastError =
                        SString("F\xFCr den Port ") + name + " konnte kein Lese-Thread erstellt werden.";
                }
            }
        } else if (reason.isEmpty()) {
            reason = devicePath;
        }
    }
    if (!ok) {
        SString line = SString("SComPort::open(..) Fehler: ") + lastError;
        if (!reason.isEmpty()) line += SString(" (") + reason + ")";
        globalDebug().trace(line);
        return 0;
    }
    return 1;
}

void SComPort::close(int keepSettings) {
    if (handle.load() == 0) {
        if (reader.joinable()) reader.join();
        return;
    }
    globalDebug().traceFormat(" ### close Serial Port %s", settings.port.getChars());
    purge();
    SerialHandle h = handle.exchange(0);  // the reader thread ends within one 50 ms wait
    while (readerThread.load() != 0)
        EventLoop::waitUntil(50, [this] { return readerThread.load() == 0; });
    if (reader.joinable()) reader.join();
    if (keepSettings == 0 && savedControlBlock.valid) {
        serialRestoreState(h, savedControlBlock);
        EventLoop::wait(60);
    }
    serialClose(h);
    EventLoop::wait(100);
}

int SComPort::_setState() {
    SerialHandle h = handle.load();
    if (h == 0) {
        globalError().showError(
            "SComPort::_setState(..) Zugriff auf nicht ge\xF6"
            "ffneten Port.");
        return 0;
    }
    SerialLine line = {settings.baudRate, settings.parity, settings.dataBits, settings.stopBits};
    if (!serialSetLine(h, line)) {
        SString reason = serialErrorText();
        lastError =
            SString("Der Port ") + settings.port + " konnte nicht konfiguriert werden.(" + reason + ")";
        globalDebug().trace(SString("SComPort::_setState(..) ") + settings.toString() + ": " + reason);
        return 0;
    }
    EventLoop::wait(60);
    return 1;
}

int SComPort::configure(const SString& settingsText) {
    // The text's port field is never taken over; the open device keeps its name.
    SString port = settings.port;
    settings.parse(settingsText);
    settings.port = port;
    return _setState();
}

void SComPort::purge() {
    SerialHandle h = handle.load();
    if (h != 0) serialPurge(h);
    receiveBuffer.reset(receiveBufferSize);
}

int SComPort::write(const void* bytes, int count) {
    lastReadDropped = 0;
    SerialHandle h = handle.load();
    if (h == 0) {
        lastError =
            "Fehler beim Schreiben auf den COM-Port: Zugriff auf nicht ge\xF6"
            "ffneten Port.\r\n"
            "Bitte verwenden Sie zuerst SComPort::open(..)";
        return 0;
    }
    if (count <= 0) return 1;
    if (!serialWrite(h, static_cast<const unsigned char*>(bytes), count, writeTimeoutBase + count)) {
        lastError = serialErrorText();
        globalDebug().trace(SString("SComPort::write(..) ") + settings.port + ": " + lastError);
        return 0;
    }
    return 1;
}

int SComPort::write(const SString& text) {
    return write(text.getChars(), text.getLength());
}

int SComPort::write(char c) {
    return write(&c, 1);
}

int SComPort::write(const SMem& mem) {
    return write(mem.getData(), mem.getSize());
}

int SComPort::takeByte(unsigned char& byte) {
    const int taken = receiveBuffer.take(byte);
    if (taken >= 0) return taken;
    lastReadDropped = -taken;
    globalDebug().traceFormat("SComPort::read(..) %s: %d Bytes verloren, der Empfangspuffer war voll",
                              settings.port.getChars(), lastReadDropped);
    return -1;
}

bool SComPort::waitStep(int& remainingMs) {
    // A step ends early when bytes are waiting (the reader wakes the loop when it stores some) or
    // the port was closed; the time limit counts the time that really passed.
    const int step = remainingMs < 50 ? remainingMs : 50;
    const unsigned start = EventLoop::tickCount();
    EventLoop::waitUntil(unsigned(step),
                         [this] { return handle.load() == 0 || receiveBuffer.getAvailable() > 0; });
    const int passed = int(EventLoop::tickCount() - start);
    remainingMs -= passed < step ? passed : step;
    return handle.load() != 0;
}

void SComPort::traceIfDeviceLost(const char* method) {
    if (deviceLost.load())
        globalDebug().trace(SString("SComPort::") + method + "(..) " + settings.port +
                            ": Ger\xE4t nicht mehr da");
}

int SComPort::read(SMem& buffer, int timeoutMs, int count) {
    lastReadDropped = 0;
    buffer.setSize(count < 0 ? 1000 : count);
    int received = 0;
    int remaining = timeoutMs;
    bool failed = false;  // the port was closed, or bytes were lost
    while (remaining > 0 && count != 0 && !failed) {
        if (!waitStep(remaining)) {
            failed = true;
            break;
        }
        unsigned char byte;
        int taken = 0;
        while ((count < 0 || received < count) && (taken = takeByte(byte)) > 0) {
            if (count < 0) makeRoom(buffer, received, 2);
            bytesOf(buffer)[received++] = byte;
        }
        if (taken < 0) failed = true;
        if (received == count) remaining = 0;
    }
    buffer.setSize(received);
    bool ok = !failed && (received == count || (count < 0 && received > 0));
    if (!ok) traceIfDeviceLost("read");
    return ok ? 1 : 0;
}

int SComPort::readUntil(SMem& buffer, int timeoutMs, const SString& terminator) {
    if (terminator.isEmpty()) return read(buffer, timeoutMs, -1);
    lastReadDropped = 0;
    buffer.setSize(500);
    int received = 0;
    bool found = false;
    bool failed = false;  // bytes were lost
    const int length = terminator.getLength();
    const unsigned char* wanted = reinterpret_cast<const unsigned char*>(terminator.getChars());
    int remaining = timeoutMs;
    while (remaining > 0 && !found && !failed) {
        if (!waitStep(remaining)) break;
        unsigned char byte;
        int taken = 0;
        // Bytes after the terminator stay in the receive buffer for the next read.
        while (!found && (taken = takeByte(byte)) > 0) {
            makeRoom(buffer, received, 1);
            bytesOf(buffer)[received++] = byte;
            // The received bytes end in the terminator, also right after a partial match ("AAB").
            found = received >= length && byte == wanted[length - 1] &&
                    std::memcmp(bytesOf(buffer) + received - length, wanted, size_t(length)) == 0;
        }
        if (taken < 0) failed = true;
    }
    buffer.setSize(received);
    if (!found) traceIfDeviceLost("readUntil");
    return found ? 1 : 0;
}

int SComPort::read(SString& text, int timeoutMs, int count) {
    SMem buffer;
    int ok = read(buffer, timeoutMs, count);
    setReceivedText(text, bytesOf(buffer), buffer.getSize());
    return ok;
}

int SComPort::readUntil(SString& text, int timeoutMs, const SString& terminator) {
    SMem buffer;
    int ok = readUntil(buffer, timeoutMs, terminator);
    setReceivedText(text, bytesOf(buffer), buffer.getSize());
    return ok;
}

void SComPort::readerLoop() {
    unsigned char chunk[256];
    for (;;) {
        SerialHandle h = handle.load();
        if (h == 0) break;
        if (deviceLost.load()) {
            // A hung-up line polls as always ready; sleep instead until close clears handle.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        SerialWait state = serialWaitInput(h, 50);
        if (state == SerialWait::gone) {
            deviceLost.store(true);
            continue;
        }
        if (state != SerialWait::input) continue;
        for (;;) {
            int n = serialReadAvailable(h, chunk, int(sizeof chunk));
            if (n < 0) deviceLost.store(true);
            if (n <= 0) break;
            for (int i = 0; i < n; ++i)
                onReceive(chunk[i]);
            receiveBuffer.put(chunk, n);
            EventLoop::wake();  // a read waiting for these bytes looks at once
        }
    }
    readerThread.store(0);
    EventLoop::wake();
}
