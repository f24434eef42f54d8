#include "ScriptRunner.h"

#include "CodePage.h"
#include "Dexmode.h"
#include "SDebug.h"
#include "SFile.h"
#include "SMapStringToString.h"
#include "SResources.h"
#include "SStringList.h"
#include "Zyntra.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The program's text is Windows-1252; what it prints goes to a terminal or a file as UTF-8.
std::string utf8(const SString& text) {
    return codepage::cp1252ToUtf8(text.getChars(), text.getLength());
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if ((unsigned char)c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", (unsigned char)c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string jsonString(const SString& text) {
    return jsonString(utf8(text));
}

void setText(SString& to, const std::string& text) {
    to.setRaw(text.c_str(), int(text.size()));
}

// A localisable text or a system text, resolved and ready for standard error.
std::string plain(const SString& text) {
    SString resolved;
    resolved.append(text);
    resolved.replace("\r\n", " ");
    return utf8(resolved);
}

struct Exchange {
    SString command;  // as sent, carriage returns included
    SString answer;   // trimmed, without its status code; carriage returns included
    SString code;
    SString statusText;
    bool ok = false;
    bool answered = false;
};

}  // namespace

bool ScriptRunner::wanted(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--run") == 0) return true;
    return false;
}

const char* ScriptRunner::usage() {
    return "  --run SCRIPT --port COMn [--timeout-ms N] [--report text|json]\n"
           "        runs the command list in the file SCRIPT on the Zyntra at port COMn without a\n"
           "        window and prints each command with its answer; N: time limit of one answer\n"
           "        in milliseconds (default 800). Exit status: 0 every answer OK, 1 an answer\n"
           "        said ERROR or did not come, 2 the port did not open or no Zyntra answered,\n"
           "        64 bad arguments or an unreadable script file.\n";
}

bool ScriptRunner::parseArguments(int argc, char* argv[], SString& error) {
    bool haveTimeout = false;
    bool haveReport = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool takesValue =
            name == "--run" || name == "--port" || name == "--timeout-ms" || name == "--report";
        if (!takesValue) {
            setText(error, "unknown argument: " + name);
            return false;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            const std::string text = name + " needs a value";
            setText(error, text);
            return false;
        }
        const char* value = argv[++i];
        SString* target = name == "--run" ? &scriptPath : name == "--port" ? &portName : nullptr;
        if (target != nullptr) {
            if (!target->isEmpty()) {
                const std::string text = name + " given twice";
                setText(error, text);
                return false;
            }
            target->setRaw(value, int(std::strlen(value)));
        } else if (name == "--timeout-ms") {
            char* end = nullptr;
            const long ms = std::strtol(value, &end, 10);
            if (haveTimeout || end == value || *end != '\0' || ms < 1 || ms > 600000) {
                const std::string text = std::string(
                                             "--timeout-ms wants a number of milliseconds from 1 to "
                                             "600000, not: ") +
                                         value;
                setText(error, text);
                return false;
            }
            timeoutMs = int(ms);
            haveTimeout = true;
        } else {
            if (haveReport || (std::strcmp(value, "text") != 0 && std::strcmp(value, "json") != 0)) {
                const std::string text = std::string("--report wants text or json, not: ") + value;
                setText(error, text);
                return false;
            }
            json = std::strcmp(value, "json") == 0;
            haveReport = true;
        }
    }
    if (scriptPath.isEmpty() || portName.isEmpty()) {
        setText(error, "--run SCRIPT and --port COMn are both needed");
        return false;
    }
    return true;
}

int ScriptRunner::run(std::FILE* out, std::FILE* err) {
    SString readError;
    const SString script = SFile::readTextFile(scriptPath, &readError);
    if (!readError.isEmpty()) {
        std::fprintf(err, "zyntra-terminal: the script file %s cannot be read: %s\n",
                     utf8(scriptPath).c_str(), plain(readError).c_str());
        return exitUsage;
    }

    Zyntra device;
    SString message;
    std::vector<Exchange> exchanges;
    int result = exitOk;
    std::string problem;
    const int connected = Dexmode::openPort(device, portName, message);
    if (!connected) {
        result = exitNoDevice;
        problem = plain(message);
        if (!device.lastError.isEmpty()) problem += " (" + plain(device.lastError) + ")";
    } else {
        SMapStringToString statusTexts;
        Dexmode::loadStatusTexts(statusTexts);
        SString text;
        text.append(script);
        text.replace("\xB0", "\r");
        SStringList lines;
        lines.split(text, "\n");
        for (int i = 0; i < lines.getCount(); ++i) {
            SString line;
            line.append(lines[i]);
            if (Dexmode::lineKind(line) != Dexmode::lineCommand) continue;
            Exchange exchange;
            exchange.command.append(line);
            SString bytes;
            bytes.append(line);
            SString answer;
            if (!device.write(bytes.append("\n"))) {
                problem = "writing to " + utf8(portName) + " failed";
                if (!device.lastError.isEmpty()) problem += ": " + plain(device.lastError);
            } else if (!device.readUntil(answer, timeoutMs, "\n")) {
                problem = "no answer from " + utf8(portName) + " within " + std::to_string(timeoutMs) +
                          " ms to: " + utf8(exchange.command);
            } else {
                exchange.answered = true;
            }
            answer.trim();
            answer.replace("\r", "<br>");
            const Dexmode::Answer parsed = Dexmode::readAnswer(answer);
            exchange.answer.append(parsed.text);
            exchange.answer.replace("<br>", "\r");
            exchange.code.append(parsed.code);
            if (!parsed.code.isEmpty()) statusTexts.lookup(parsed.code, exchange.statusText);
            exchange.ok = exchange.answered && !parsed.error;
            if (!exchange.ok) result = exitFailed;
            exchanges.push_back(exchange);
            // A command that went unanswered leaves the device's state unknown: the rest is not sent.
            if (!exchange.answered) break;
        }
        device.close(0);
    }

    int okCount = 0;
    for (const Exchange& e : exchanges)
        okCount += e.ok ? 1 : 0;
    if (json) {
        std::string report = "{\"port\":" + jsonString(portName) + ",\"script\":" + jsonString(scriptPath) +
                             ",\"timeoutMs\":" + std::to_string(timeoutMs) +
                             ",\"connected\":" + (connected ? "true" : "false") +
                             ",\"exitCode\":" + std::to_string(result) + ",\"error\":";
        report += problem.empty() ? std::string("null") : jsonString(problem);
        report += ",\"commands\":[";
        for (size_t i = 0; i < exchanges.size(); ++i) {
            const Exchange& e = exchanges[i];
            report += std::string(i ? "," : "") + "{\"command\":" + jsonString(e.command) +
                      ",\"answer\":" + (e.answered ? jsonString(e.answer) : std::string("null")) +
                      ",\"partial\":" + jsonString(e.answered ? SString() : e.answer) +
                      ",\"ok\":" + (e.ok ? "true" : "false") + ",\"status\":" + jsonString(e.code) +
                      ",\"statusText\":" + jsonString(e.statusText) + "}";
        }
        report += "],\"okCount\":" + std::to_string(okCount) +
                  ",\"errorCount\":" + std::to_string(int(exchanges.size()) - okCount) + "}\n";
        std::fputs(report.c_str(), out);
    } else {
        for (const Exchange& e : exchanges) {
            SString command;
            command.append(e.command);
            command.replace("\r", "\xB0");
            SString answer;
            answer.append(e.answer);
            answer.replace("\r", "\xB0");
            std::string line = "> " + utf8(command) + "\n< " + (e.ok ? "OK: " : "ERROR: ") + utf8(answer);
            if (!e.answered) line += std::string(answer.isEmpty() ? "" : " ") + "(no answer)";
            if (!e.code.isEmpty()) {
                line += " (status " + utf8(e.code);
                if (!e.statusText.isEmpty()) line += "=" + utf8(e.statusText);
                line += ")";
            }
            std::fputs((line + "\n").c_str(), out);
        }
        if (connected)
            std::fprintf(out, "# %d command(s): %d OK, %d ERROR\n", int(exchanges.size()), okCount,
                         int(exchanges.size()) - okCount);
    }
    std::fflush(out);
    if (!problem.empty())
        std::fprintf(err, "zyntra-terminal: %s: %s\n", utf8(portName).c_str(), problem.c_str());
    return result;
}

int ScriptRunner::main(int argc, char* argv[]) {
    ScriptRunner runner;
    SString error;
    if (!runner.parseArguments(argc, argv, error)) {
        std::fprintf(stderr,
                     "zyntra-terminal: %s\nusage: zyntra-terminal --run SCRIPT --port COMn [--timeout-ms N] "
                     "[--report text|json]\n%s",
                     utf8(error).c_str(), usage());
        return exitUsage;
    }
    // The status texts come from the program's resources; without them answers have no texts.
    globalResources().init();
    return runner.run(stdout, stderr);
}
