#include "Zyntra.h"

#include "SDebug.h"

const char* const Zyntra::framePrefix = "\xE6\xB5\xBA\xB9\xB2\xB3\xA9";

namespace {

// Device bytes are copied as they are: an assignment between strings would offer them to the
// language table.
void assignBytes(SString& to, const SString& from) {
    if (&to == &from) return;
    to.remove(0, -1);
    to.append(from, from.getLength());
}

SString frame(const SString& command) {
    SString bytes(Zyntra::framePrefix);
    bytes.append(command, command.getLength());
    return bytes;
}

}  // namespace

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
    line.append(bytes, bytes.getLength());
    line.append(" -> ");
    line.append(reply, reply.getLength());
    globalDebug().trace(line);
    if (ok && answer != nullptr) assignBytes(*answer, reply);
    return ok;
}

SString Zyntra::versionField(const SString& line) {
    SString rest;
    rest.append(line, line.getLength());
    rest.splitOff("\xF7");
    return rest.splitOff("\xF7");
}

SString Zyntra::getVersion() {
    SString result;
    int ok = write(frame("v"));
    if (ok) ok = readUntil(result, versionTimeout, "\n");
    if (ok) {
        const SString version = versionField(result);
        assignBytes(result, version);
    }
    SString line("zyntra-Version: ");
    line.append(result, result.getLength());
    globalDebug().trace(line);
    return result;
}
