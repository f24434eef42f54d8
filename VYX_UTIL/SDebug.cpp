#include "SDebug.h"

#include "RawText.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

SDebug::SDebug() : monitorPort(5001), monitorHost("localhost"), disabled(true), connectionState(NOT_TRIED) {}

SDebug::~SDebug() {
    close();
}

void SDebug::enable(const SString& host, int port) {
    monitorHost = host;
    monitorPort = port;
    disabled = false;
}

void SDebug::trace(const SString& text) {
    if (disabled) return;
    if (connectionState == NOT_TRIED)
        connectionState = createClient(nullptr, monitorPort, monitorHost) ? CONNECTED : FAILED;
    if (connectionState != CONNECTED) return;
    SString line(text);
    line.append("\r\n");
    send(line);
}

void SDebug::traceFormat(const char* fmt, ...) {
    if (disabled) return;
    char buffer[5000];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    trace(SString(buffer));
}

bool SDebug::parseSetting(const char* value, SString& host, int& port) {
    if (value == nullptr || value[0] == 0) return false;
    if (std::strcmp(value, "1") == 0) {
        host = "localhost";
        port = 5001;
        return true;
    }
    const char* colon = std::strrchr(value, ':');
    if (colon == nullptr || colon == value || colon[1] == 0) return false;
    char* end = nullptr;
    long number = std::strtol(colon + 1, &end, 10);
    if (*end != 0 || number < 1 || number > 65535 || colon[1] == '-' || colon[1] == '+') return false;
    host = rawText(value, int(colon - value));
    port = int(number);
    return true;
}

SDebug& globalDebug() {
    static SDebug* debug = [] {
        SDebug* d = new SDebug();
        SString host;
        int port = 0;
        if (SDebug::parseSetting(std::getenv("VYX_TRACE"), host, port)) d->enable(host, port);
        return d;
    }();
    return *debug;
}
