// "zyntra-terminal --run": the program itself, run as a user runs it, against the simulator on a
// pseudo-terminal behind COM7, with its report read back from standard output.
#include "TempDir.h"

#ifdef VYX_HAVE_SIM
#include "ZyntraSim.h"
#endif

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifndef VYX_TERMINAL_EXE
#error "VYX_TERMINAL_EXE names the program under test (set by app/CMakeLists.txt)"
#endif

namespace {

// Just enough JSON to read the report back: objects, arrays, strings (with \uXXXX below 0x80),
// numbers, true, false, null.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    const Json& operator[](const std::string& key) const {
        static const Json none;
        auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& s) : s(s) {}
    bool read(Json& out) {
        if (!value(out)) return false;
        space();
        return pos == s.size();
    }

private:
    void space() {
        while (pos < s.size() && std::isspace((unsigned char)s[pos]))
            ++pos;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (s.compare(pos, w.size(), w) != 0) return false;
        pos += w.size();
        return true;
    }
    bool string(std::string& out) {
        if (s[pos] != '"') return false;
        for (++pos; pos < s.size(); ++pos) {
            char c = s[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if ((unsigned char)c < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++pos >= s.size()) return false;
            switch (s[pos]) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    const long code = std::strtol(s.substr(pos + 1, 4).c_str(), nullptr, 16);
                    if (code >= 0x80) return false;
                    out += char(code);
                    pos += 4;
                    break;
                }
                default:
                    out += s[pos];
            }
        }
        return false;
    }
    bool value(Json& out) {
        space();
        if (pos >= s.size()) return false;
        const char c = s[pos];
        if (c == '{') {
            out.kind = Json::Object;
            ++pos;
            space();
            if (s[pos] == '}') return ++pos, true;
            for (;;) {
                space();
                std::string key;
                if (!string(key)) return false;
                space();
                if (s[pos++] != ':' || !value(out.fields[key])) return false;
                space();
                if (s[pos] == '}') return ++pos, true;
                if (s[pos++] != ',') return false;
            }
        }
        if (c == '[') {
            out.kind = Json::Array;
            ++pos;
            space();
            if (s[pos] == ']') return ++pos, true;
            for (;;) {
                out.items.emplace_back();
                if (!value(out.items.back())) return false;
                space();
                if (s[pos] == ']') return ++pos, true;
                if (s[pos++] != ',') return false;
            }
        }
        if (c == '"') return out.kind = Json::String, string(out.text);
        if (literal("true")) return out.kind = Json::Bool, out.boolean = true, true;
        if (literal("false")) return out.kind = Json::Bool, true;
        if (literal("null")) return true;
        char* end = nullptr;
        out.number = std::strtod(s.c_str() + pos, &end);
        if (end == s.c_str() + pos) return false;
        out.kind = Json::Number;
        pos = size_t(end - s.c_str());
        return true;
    }
    const std::string& s;
    size_t pos = 0;
};

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The program started with its standard output on a pipe, which the test reads as it comes.
class RunningProgram {
public:
    explicit RunningProgram(const std::vector<std::string>& args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        std::vector<std::string> words = {VYX_TERMINAL_EXE};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(&w[0]);
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            const int none = ::open("/dev/null", O_RDWR);
            ::dup2(none, 0);
            ::dup2(fds[1], 1);
            ::dup2(none, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out = fds[0];
    }
    ~RunningProgram() {
        if (pid > 0 && !reaped) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (out >= 0) ::close(out);
    }
    // What the program has written, once it holds count line feeds; less when timeoutMs passed or
    // the output ended first.
    std::string readLines(int count, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::count(text.begin(), text.end(), '\n') < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p = {out, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) break;
            char chunk[4096];
            const ssize_t n = ::read(out, chunk, sizeof chunk);
            if (n <= 0) break;
            text.append(chunk, size_t(n));
        }
        return text;
    }
    bool running() {
        if (reaped) return false;
        reaped = ::waitpid(pid, nullptr, WNOHANG) == pid;
        return !reaped;
    }
    // Ends the program as a user's kill does, and gives all it wrote.
    std::string terminate() {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        reaped = true;
        return readLines(1 << 20, 2000);
    }

private:
    pid_t pid = -1;
    int out = -1;
    bool reaped = false;
    std::string text;
};

// The lines of a text, without their line feeds.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class ScriptRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The program reads the port map from the user configuration: keep it out of the user's.
        ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("VYX_PORT_COM7");
        ::unsetenv("XDG_CONFIG_HOME");
    }

    // Runs the program with args (each passed as one word) and collects what it wrote.
    Outcome run(const std::vector<std::string>& args) {
        std::string command = "'" VYX_TERMINAL_EXE "'";
        for (const std::string& a : args)
            command += " '" + a + "'";
        command += " >'" + dir.file("out") + "' 2>'" + dir.file("err") + "' </dev/null";
        Outcome r;
        const int status = std::system(command.c_str());
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = dir.read("out");
        r.err = dir.read("err");
        return r;
    }
    std::string script(const std::string& text) { return dir.write("script.txt", text); }

#ifdef VYX_HAVE_SIM
    void startSim(const ZyntraSimOptions& options = ZyntraSimOptions()) {
        sim.reset(new ZyntraSim(options));
        ASSERT_TRUE(sim->start()) << sim->lastError();
        ::setenv("VYX_PORT_COM7", sim->slavePath().c_str(), 1);
    }
    std::unique_ptr<ZyntraSim> sim;
#endif

    TempDir dir;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(ScriptRunnerTest, BadArgumentsGiveTheUsageAnd64) {
    const std::string file = script("m:main\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--run"},
        {"--run", file},
        {"--port", "COM7", "--run"},
        {"--run", file, "--port", "COM7", "--timeout-ms", "0"},
        {"--run", file, "--port", "COM7", "--timeout-ms", "12x"},
        {"--run", file, "--port", "COM7", "--report", "xml"},
        {"--run", file, "--port", "COM7", "--verbose"},
        {"--run", file, "--run", file, "--port", "COM7"},
    };
    for (const auto& args : cases) {
        const Outcome r = run(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exitCode, 64) << shown;
        EXPECT_TRUE(contains(r.err, "usage: zyntra-terminal --run SCRIPT --port COMn")) << shown << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
    const Outcome missing = run({"--run", dir.file("missing.txt"), "--port", "COM7"});
    EXPECT_EQ(missing.exitCode, 64);
    EXPECT_TRUE(contains(missing.err, dir.file("missing.txt"))) << missing.err;
    EXPECT_TRUE(contains(missing.err, "No such file or directory")) << missing.err;
    const Outcome folder = run({"--run", dir.path(), "--port", "COM7"});
    EXPECT_EQ(folder.exitCode, 64);
    EXPECT_TRUE(contains(folder.err, "Is a directory")) << folder.err;

    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, "--run SCRIPT --port COMn [--timeout-ms N] [--report text|json|jsonl]"))
        << help.out;
}

#ifdef VYX_HAVE_SIM
// What the script does decides the exit code; the report shows each command with its answer.
TEST_F(ScriptRunnerTest, ExitCodeFollowsTheAnswers) {
    struct Case {
        const char* name;
        std::string script;
        ZyntraSimMisbehaviour misbehaviour;
        int exitCode;
        std::vector<std::string> sent;
        std::vector<std::string> inReport;
        const char* onError;  // a part of the standard error line, "" for none
    } cases[] = {
        {"all OK",
         "# a comment\r\n\r\n!echo shown nowhere\r\n!cls\r\nm:main\r\n  mode mm\xB0mode ss  \r\nmode\r\n",
         ZyntraSimMisbehaviour::None,
         0,
         {"m:main", "mode mm\rmode ss", "mode"},
         {"> m:main\n< OK: OK (status 00=OK)\n", "> mode mm\xC2\xB0mode ss\n< OK: OK (status 00=",
          "> mode\n< OK: ss!\xC2\xB0OK (status 00=", "# 3 command(s): 3 OK, 0 ERROR\n"},
         ""},
        {"an ERROR answer, the rest still sent",
         "m:main\nbogus\nmode\n",
         ZyntraSimMisbehaviour::None,
         1,
         {"m:main", "bogus", "mode"},
         {"> bogus\n< ERROR: bogus?\xC2\xB0 UNKNOWN CMD ERROR (status 01=Unbekannter Befehl)\n",
          "# 3 command(s): 2 OK, 1 ERROR\n"},
         ""},
        {"a silent device, the list stops",
         "m:main\nmode\n",
         ZyntraSimMisbehaviour::NoAnswer,
         1,
         {"m:main"},
         {"> m:main\n< ERROR: (no answer)\n"},
         "no answer from COM7 within 300 ms to: m:main"},
        {"a foreign device", "m:main\n", ZyntraSimMisbehaviour::ForeignDevice, 2, {}, {}, "kein Zyntra"},
    };
    for (const Case& c : cases) {
        ZyntraSimOptions options;
        options.misbehaviour = c.misbehaviour;
        options.misbehaviourScope = ZyntraSimScope::Lines;
        startSim(options);
        const Outcome r = run({"--run", script(c.script), "--port", "COM7", "--timeout-ms", "300"});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.out << r.err;
        EXPECT_EQ(sim->takeLines(), c.sent) << c.name;
        for (const std::string& part : c.inReport)
            EXPECT_TRUE(contains(r.out, part)) << c.name << ": " << part << "\n" << r.out;
        if (c.onError[0] == '\0')
            EXPECT_EQ(r.err, "") << c.name;
        else
            EXPECT_TRUE(contains(r.err, c.onError)) << c.name << ": " << r.err;
        sim->stop();
    }
}

TEST_F(ScriptRunnerTest, JsonReportReadsBack) {
    startSim();
    const Outcome r = run({"--run", script("m:main\r\nmode mm\xB0mode\r\nbogus \"x\"\r\n"), "--port", "COM7",
                           "--report", "json"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    Json report;
    ASSERT_TRUE(JsonReader(r.out).read(report)) << r.out;
    EXPECT_EQ(report["port"].text, "COM7");
    EXPECT_EQ(report["timeoutMs"].number, 800);
    EXPECT_TRUE(report["connected"].boolean);
    EXPECT_EQ(report["exitCode"].number, 1);
    EXPECT_EQ(report["error"].kind, Json::Null);
    EXPECT_EQ(report["okCount"].number, 2);
    EXPECT_EQ(report["errorCount"].number, 1);
    const Json& commands = report["commands"];
    ASSERT_EQ(commands.items.size(), 3u);
    EXPECT_EQ(commands.items[1]["command"].text, "mode mm\rmode");
    EXPECT_EQ(commands.items[1]["answer"].text, "mm!\rOK");
    EXPECT_TRUE(commands.items[1]["ok"].boolean);
    EXPECT_EQ(commands.items[1]["status"].text, "00");
    EXPECT_EQ(commands.items[2]["command"].text, "bogus \"x\"");
    EXPECT_FALSE(commands.items[2]["ok"].boolean);
    EXPECT_EQ(commands.items[2]["status"].text, "01");
    EXPECT_EQ(commands.items[2]["statusText"].text, "Unbekannter Befehl");

    // jsonl: the same commands, one object a line as each completes, then the summary.
    const Outcome lines = run({"--run", dir.file("script.txt"), "--port", "COM7", "--report", "jsonl"});
    EXPECT_EQ(lines.exitCode, 1) << lines.err;
    const std::vector<std::string> objects = linesOf(lines.out);
    ASSERT_EQ(objects.size(), 4u) << lines.out;
    for (size_t i = 0; i < 3; ++i) {
        Json command;
        ASSERT_TRUE(JsonReader(objects[i]).read(command)) << objects[i];
        for (const char* field : {"command", "answer", "partial", "status", "statusText"})
            EXPECT_EQ(command[field].text, commands.items[i][field].text) << i << field;
        EXPECT_EQ(command["ok"].boolean, commands.items[i]["ok"].boolean) << i;
        EXPECT_EQ(command["lostBytes"].number, 0) << i;
    }
    Json summary;
    ASSERT_TRUE(JsonReader(objects[3]).read(summary)) << objects[3];
    EXPECT_EQ(summary["commands"].kind, Json::Null);
    EXPECT_EQ(summary["port"].text, "COM7");
    EXPECT_TRUE(summary["connected"].boolean);
    EXPECT_EQ(summary["exitCode"].number, 1);
    EXPECT_EQ(summary["error"].kind, Json::Null);
    EXPECT_EQ(summary["okCount"].number, 2);
    EXPECT_EQ(summary["errorCount"].number, 1);
}

// Every way the connection start can fail is named: on standard error and in the report.
TEST_F(ScriptRunnerTest, AFailedConnectionStartSaysWhy) {
    struct Case {
        const char* name;
        ZyntraSimMisbehaviour misbehaviour;
        const char* why;
    } cases[] = {
        {"a foreign device", ZyntraSimMisbehaviour::ForeignDevice, "Fehler: Es wurde kein Zyntra gefunden!"},
        {"the version answered, the mode switch not", ZyntraSimMisbehaviour::NoAnswer,
         "Der Zyntra hat nicht in den Dexmode gewechselt."},
    };
    for (const Case& c : cases) {
        ZyntraSimOptions options;
        options.misbehaviour = c.misbehaviour;
        options.misbehaviourScope = ZyntraSimScope::Frames;
        options.misbehaveAfter = 1;
        for (const char* report : {"text", "json", "jsonl"}) {
            startSim(options);  // a fresh count of the frames answered before the misbehaviour
            const Outcome r = run({"--run", script("m:main\n"), "--port", "COM7", "--report", report});
            EXPECT_EQ(r.exitCode, 2) << c.name << " " << report;
            EXPECT_EQ(r.err, std::string("zyntra-terminal: COM7: ") + c.why + "\n")
                << c.name << " " << report;
            if (std::string(report) == "text") {
                EXPECT_EQ(r.out, "") << c.name;
                continue;
            }
            Json parsed;
            ASSERT_TRUE(JsonReader(r.out).read(parsed)) << r.out;
            EXPECT_FALSE(parsed["connected"].boolean);
            EXPECT_EQ(parsed["error"].text, c.why) << c.name << " " << report;
            EXPECT_EQ(parsed["exitCode"].number, 2);
            EXPECT_TRUE(sim->takeLines().empty()) << c.name;
        }
    }
}

// A long answer is whole or it is a failure: the 255-byte EEPROM read comes whole, and a 1 MiB
// flood in front of an answer either comes whole or fails saying that bytes were lost.
TEST_F(ScriptRunnerTest, LongAnswersAreWholeOrAFailure) {
    startSim();
    const Outcome eeprom = run(
        {"--run", script("m:main\xB0mode mm\xB0m:twi\xB0r 50 FF\n"), "--port", "COM7", "--report", "json"});
    EXPECT_EQ(eeprom.exitCode, 0) << eeprom.err;
    Json report;
    ASSERT_TRUE(JsonReader(eeprom.out).read(report)) << eeprom.out;
    ASSERT_EQ(report["commands"].items.size(), 1u);
    EXPECT_EQ(report["commands"].items[0]["answer"].text, std::string(510, 'F') + "!\rOK");

    ZyntraSimOptions flood;
    flood.misbehaviour = ZyntraSimMisbehaviour::Flood;
    flood.misbehaviourScope = ZyntraSimScope::Lines;
    flood.floodBytes = 1 << 20;
    sim->setOptions(flood);
    // A loaded machine may take its time to move a mebibyte; the limit is only an upper bound.
    const Outcome r =
        run({"--run", script("m:main\n"), "--port", "COM7", "--timeout-ms", "30000", "--report", "json"});
    Json flooded;
    ASSERT_TRUE(JsonReader(r.out).read(flooded)) << r.out.substr(0, 200);
    ASSERT_EQ(flooded["commands"].items.size(), 1u);
    const Json& command = flooded["commands"].items[0];
    if (command["ok"].boolean) {
        EXPECT_EQ(r.exitCode, 0);
        std::string whole;
        for (int i = 0; i < flood.floodBytes; ++i)
            whole += char('A' + i % 26);
        const std::string& answer = command["answer"].text;
        EXPECT_TRUE(answer == whole + "{00}OK")  // the code does not start the answer: it stays
            << "the answer is not whole: " << answer.size() << " bytes ending in "
            << answer.substr(answer.size() < 40 ? 0 : answer.size() - 40);
    } else {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_GT(command["lostBytes"].number, 0) << flooded["error"].text;
        EXPECT_EQ(command["answer"].kind, Json::Null);
        EXPECT_TRUE(contains(flooded["error"].text, "did not arrive whole")) << flooded["error"].text;
        EXPECT_TRUE(contains(r.err, "bytes were lost, the receive buffer was full")) << r.err;
    }
}

// Each command is on standard output as soon as its answer is judged: the first is there while the
// runner still waits for the late answer to the second, and a run killed then has printed it.
TEST_F(ScriptRunnerTest, TheReportStreamsAsTheAnswersCome) {
    ZyntraSimOptions options;
    options.misbehaviour = ZyntraSimMisbehaviour::LateAnswer;
    options.misbehaviourScope = ZyntraSimScope::Lines;
    options.misbehaveAfter = 1;
    options.lateAnswerMs = 60000;  // far beyond the wait below: a runner that holds its report back fails
    startSim(options);
    struct Case {
        const char* report;
        int lines;  // the first command's report
        const char* first;
    } cases[] = {
        {"text", 2, "> m:main\n< OK: OK (status 00=OK)\n"},
        {"jsonl", 1, "{\"command\":\"m:main\",\"answer\":\"OK\","},
    };
    for (const Case& c : cases) {
        RunningProgram runner({"--run", script("m:main\nmode\n"), "--port", "COM7", "--timeout-ms", "120000",
                               "--report", c.report});
        const std::string first = runner.readLines(c.lines, 30000);
        EXPECT_EQ(first.compare(0, std::strlen(c.first), c.first), 0) << c.report << ": " << first;
        EXPECT_TRUE(runner.running()) << c.report;
        EXPECT_EQ(runner.terminate(), first) << c.report;
        sim->stop();
        startSim(options);
    }
}
#endif

// No device behind the port: the port does not open, exit 2 with the reason on standard error.
TEST_F(ScriptRunnerTest, PortThatDoesNotOpenGives2) {
    ::setenv("VYX_PORT_COM7", dir.file("no-such-device").c_str(), 1);
    for (const char* report : {"text", "json"}) {
        const Outcome r = run({"--run", script("m:main\n"), "--port", "COM7", "--report", report});
        EXPECT_EQ(r.exitCode, 2) << report;
        EXPECT_TRUE(contains(r.err,
                             "COM7: COM-Port konnte nicht ge\xC3\xB6"
                             "ffnet werden."))
            << r.err;
        if (std::string(report) == "json") {
            Json parsed;
            ASSERT_TRUE(JsonReader(r.out).read(parsed)) << r.out;
            EXPECT_FALSE(parsed["connected"].boolean);
            EXPECT_EQ(parsed["exitCode"].number, 2);
            EXPECT_TRUE(parsed["commands"].items.empty());
        } else {
            EXPECT_EQ(r.out, "");
        }
    }
}
