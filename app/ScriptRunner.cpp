#include "ScriptRunner.h"

#include "CodePage.h"
#include "Dexmode.h"
#include "SDebug.h"
#include "SFile.h"
#include "SMapStringToString.h"
#include "SResources.h"
#include "Zyntra.h"

#include <cstdlib>
#include <cstring>
#include <string>

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
    int lost = 0;  // bytes of the answer the full receive buffer dropped
};

// One command as the JSON reports give it.
std::string commandJson(const Exchange& e) {
    return "{\"command\":" + jsonString(e.command) +
           ",\"answer\":" + (e.answered ? jsonString(e.answer) : std::string("null")) +
           ",\"partial\":" + jsonString(e.answered ? SString() : e.answer) +
           ",\"ok\":" + (e.ok ? "true" : "false") + ",\"status\":" + jsonString(e.code) +
           ",\"statusText\":" + jsonString(e.statusText) + ",\"lostBytes\":" + std::to_string(e.lost) + "}";
}

// One command as the text report gives it: "> command", "< OK: answer (status ..)".
std::string commandText(const Exchange& e) {
    SString command;
    command.append(e.command);
    command.replace("\r", "\xB0");
    SString answer;
    answer.append(e.answer);
    answer.replace("\r", "\xB0");
    std::string line = "> " + utf8(command) + "\n< " + (e.ok ? "OK: " : "ERROR: ") + utf8(answer);
    const std::string gap = answer.isEmpty() ? "" : " ";
    if (e.lost > 0)
        line += gap + "(incomplete answer: " + std::to_string(e.lost) + " bytes lost)";
    else if (!e.answered)
        line += gap + "(no answer)";
    if (!e.code.isEmpty()) {
        line += " (status " + utf8(e.code);
        if (!e.statusText.isEmpty()) line += "=" + utf8(e.statusText);
        line += ")";
    }
    return line + "\n";
}

// Writes the report as the run goes: each command as soon as its answer is judged, flushed, so a
// long script shows its progress, a killed run has printed what it did, and nothing piles up.
class Report {
public:
    Report(std::FILE* out, const ScriptRunner& runner) : out(out), runner(runner) {}

    void start(bool connectedToDevice) {
        connected = connectedToDevice;
        if (runner.report == ScriptRunner::reportJson) print("{" + headFields() + ",\"commands\":[");
    }
    void command(const Exchange& e) {
        ++count;
        okCount += e.ok ? 1 : 0;
        if (runner.report == ScriptRunner::reportText)
            print(commandText(e));
        else if (runner.report == ScriptRunner::reportJsonl)
            print(commandJson(e) + "\n");
        else
            print((count > 1 ? "," : "") + commandJson(e));
    }
    void finish(int exitCode, const std::string& problem) {
        std::string tail = "\"exitCode\":" + std::to_string(exitCode) +
                           ",\"error\":" + (problem.empty() ? std::string("null") : jsonString(problem)) +
                           ",\"okCount\":" + std::to_string(okCount) +
                           ",\"errorCount\":" + std::to_string(count - okCount) + "}\n";
        if (runner.report == ScriptRunner::reportJson)
            print("]," + tail);
        else if (runner.report == ScriptRunner::reportJsonl)
            print("{" + headFields() + "," + tail);
        else if (connected)
            print("# " + std::to_string(count) + " command(s): " + std::to_string(okCount) + " OK, " +
                  std::to_string(count - okCount) + " ERROR\n");
    }

private:
    std::string headFields() const {
        return "\"port\":" + jsonString(runner.portName) + ",\"script\":" + jsonString(runner.scriptPath) +
               ",\"timeoutMs\":" + std::to_string(runner.timeoutMs) +
               ",\"connected\":" + (connected ? "true" : "false");
    }
    void print(const std::string& text) {
        std::fputs(text.c_str(), out);
        std::fflush(out);
    }

    std::FILE* out;
    const ScriptRunner& runner;
    bool connected = false;
    int count = 0;
    int okCount = 0;
};

}  // namespace

bool ScriptRunner::wanted(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--run") == 0) return true;
    return false;
}

const char* ScriptRunner::usage() {
    return "  --run SCRIPT --port COMn [--timeout-ms N] [--report text|json|jsonl]\n"
           "        runs the command list in the file SCRIPT on the Zyntra at port COMn without a\n"
           "        window and prints each command with its answer as soon as it came; N: time\n"
           "        limit of one answer in milliseconds (default 800). --report json prints one\n"
           "        JSON document, jsonl one JSON object per command and a summary object last.\n"
           "        Exit status: 0 every answer OK, 1 an answer said ERROR, did not\n"
           "        come or did not come whole, 2 the port did not open or no Zyntra answered,\n"
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
            const std::string format = value;
            if (haveReport || (format != "text" && format != "json" && format != "jsonl")) {
                setText(error, "--report wants text, json or jsonl, not: " + format);
                return false;
            }
            report = format == "json" ? reportJson : format == "jsonl" ? reportJsonl : reportText;
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
    // The script is read line by line as the run goes; its first line before the device is touched,
    // so a file that cannot be read fails first.
    SFile file;
    SString line;
    bool more = file.open(scriptPath, "rb", true) && file.readLine(line);
    if (!file.getErrorText().isEmpty()) {
        std::fprintf(err, "zyntra-terminal: the script file %s cannot be read: %s\n",
                     utf8(scriptPath).c_str(), plain(file.getErrorText()).c_str());
        return exitUsage;
    }

    Zyntra device;
    SString message;
    int result = exitOk;
    std::string problem;
    Report report(out, *this);
    const int connected = Dexmode::openPort(device, portName, message);
    report.start(connected != 0);
    if (!connected) {
        result = exitNoDevice;
        problem = plain(message);
        if (!device.lastError.isEmpty()) problem += " (" + plain(device.lastError) + ")";
    } else {
        SMapStringToString statusTexts;
        Dexmode::loadStatusTexts(statusTexts);
        for (; more; more = file.readLine(line)) {
            line.replace("\xB0", "\r");
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
                exchange.lost = device.droppedInLastRead();
                if (exchange.lost > 0)
                    problem = "the answer to: " + utf8(exchange.command) +
                              " did not arrive whole: " + std::to_string(exchange.lost) +
                              " bytes were lost, the receive buffer was full";
                else
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
            report.command(exchange);
            // A command that went unanswered, or whose answer lost bytes, leaves the device's state
            // unknown: the rest is not sent.
            if (!exchange.answered) break;
        }
        if (!file.getErrorText().isEmpty()) {
            result = exitUsage;
            problem =
                "the script file " + utf8(scriptPath) + " cannot be read: " + plain(file.getErrorText());
        }
        device.close(0);
    }
    report.finish(result, problem);
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
                     "[--report text|json|jsonl]\n%s",
                     utf8(error).c_str(), usage());
        return exitUsage;
    }
    // The status texts come from the program's resources; without them answers have no texts.
    globalResources().init();
    return runner.run(stdout, stderr);
}
