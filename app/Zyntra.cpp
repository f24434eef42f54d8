#include "Zyntra.h"

#include "SDebug.h"

const char* const Zyntra::framePrefix = "\xE6\xB5\xBA\xB9\xB2\xB3\xA9";

namespace {

SString frame(const SString& command) {
    SString bytes(Zyntra::framePrefix);
    bytes.append(command);
    return bytes;
}

}  // namespace

Zyntra::~Zyntra() {
    close(0);
}

int Zyntra::open(const SString& portName, void* notifyWindowToUse) {
    if (!SComPort::open(portName, notifyWindowToUse)) return 0;
    return configure(portName + ",19200,N,8,1") ? 1 : 0;
}

int Zyntra::sendCmd(const SString& command, SString* answer) {
    SString bytes = frame(command);
    purge();
    int ok = write(bytes);
    globalDebug().traceFormat("Zyntra::sendCmd(..) write ok=%d :", ok);
    SString reply;
    if (ok) ok = readUntil(reply, commandTimeout, "\n");
    // The frame and the answer are data, never part of a format text.
    SString line;
    line.format("Zyntra::sendCmd(..) ok=%d :", ok);
    line.append(bytes);
    line.append(" -> ");
    line.append(reply);
    globalDebug().trace(line);
    if (ok && answer != nullptr) *answer = reply;
    return ok;
}

SString Zyntra::versionField(const SString& line) {
    SString rest(line);
    rest.splitOff("\xF7");
    return rest.splitOff("\xF7");
}

SString Zyntra::getVersion() {
    SString result;
    int ok = write(frame("v"));
    if (ok) ok = readUntil(result, versionTimeout, "\n");
    if (ok) {
        result = versionField(result);
    }
    SString line("zyntra-Version: ");
    line.append(result);
    globalDebug().trace(line);
    return result;
}
