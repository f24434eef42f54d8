#pragma once

#include "SString.h"

#include <cstdio>

// The command-line script runner: "zyntra-terminal --run SCRIPT --port COM3 [--timeout-ms N]
// [--report text|json|jsonl]". It opens the port as the page's terminal does, runs the script's
// lines with the command list's rules ("#" comments, "!echo" and "!cls" have nothing to send,
// "\xB0" is a carriage return), and prints each command with its answer, OK or ERROR, and the
// status text as soon as the answer is judged. The script is read as it runs and nothing is kept
// of a command once it is printed, so memory stays the same however long the script is.
// No window and no display: it runs before any of the window system is touched.
//
// Exit codes: exitOk every answer OK; exitFailed an answer said ERROR, did not come or did not
// come whole; exitNoDevice the port did not open or no Zyntra answered on it; exitUsage bad
// arguments or an unreadable script file. What went wrong with the port or the device is one line
// on standard error.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    virtual const char* getClassName() const { return "ScriptRunner"; }

    enum ExitCode { exitOk = 0, exitFailed = 1, exitNoDevice = 2, exitUsage = 64 };

    SString scriptPath;
    SString portName;
    int timeoutMs = 800;
    // text: lines for people; json: one document; jsonl: one object per command, then a summary.
    enum ReportFormat { reportText, reportJson, reportJsonl };
    ReportFormat report = reportText;

    // True when argv asks for the runner ("--run" anywhere).
    static bool wanted(int argc, char* argv[]);
    // Reads the runner's arguments; false with the reason in error.
    bool parseArguments(int argc, char* argv[], SString& error);
    // The usage lines of the runner's options.
    static const char* usage();
    // Runs the script file against the device and writes the report to out; returns the exit code.
    int run(std::FILE* out, std::FILE* err);
    // Arguments, run and report: the whole of "zyntra-terminal --run ...".
    static int main(int argc, char* argv[]);
};
