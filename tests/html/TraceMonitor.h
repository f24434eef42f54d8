#pragma once

#include "LoopbackListener.h"
#include "SDebug.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Reads the program's trace channel back: one monitor on a loopback port for the whole test
// program, to which the global trace channel is switched on at the first use. linesSince() sends a
// marker line and reads up to it, so it returns exactly the lines traced since the last call
// without waiting for anything that never comes.
class TraceMonitor {
public:
    static TraceMonitor& get() {
        static TraceMonitor* monitor = new TraceMonitor();  // lives as long as the channel
        return *monitor;
    }

    std::vector<std::string> linesSince() {
        const std::string marker = "--- trace marker " + std::to_string(++markers) + " ---";
        globalDebug().trace(marker.c_str());
        if (!accepted) accepted = listener.acceptOne();
        std::vector<std::string> lines;
        while (true) {
            size_t end = pending.find("\r\n");
            if (end == std::string::npos) {
                std::string more = listener.read(1, 5000);
                if (more.empty()) {
                    ADD_FAILURE() << "the trace marker did not arrive";
                    return lines;
                }
                pending += more;
                continue;
            }
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            if (line == marker) return lines;
            lines.push_back(line);
        }
    }

    // Starts a test with no earlier lines pending.
    void reset() { linesSince(); }

private:
    TraceMonitor() {
        EXPECT_TRUE(listener.ok());
        globalDebug().enable("127.0.0.1", listener.port());
    }

    LoopbackListener listener;
    bool accepted = false;
    std::string pending;
    int markers = 0;
};

inline bool traced(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& l : lines)
        if (l == line) return true;
    return false;
}
