// The zyntra-sim program: path on stdout, options, ends on SIGTERM.
#include "SimTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

using simtest::Port;

namespace {

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child run(const std::vector<std::string>& args) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        close(pipeFd[1]);
        std::vector<char*> argv{const_cast<char*>(ZYNTRA_SIM_EXE)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(ZYNTRA_SIM_EXE, argv.data());
        _exit(127);
    }
    close(pipeFd[1]);
    return {pid, fdopen(pipeFd[0], "r")};
}

int waitExit(Child& c) {
    int status = 0;
    waitpid(c.pid, &status, 0);
    fclose(c.out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string firstLine(Child& c) {
    char buf[4096] = "";
    if (!fgets(buf, sizeof buf, c.out)) return "";
    std::string s = buf;
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

}  // namespace

TEST(ZyntraSimProgram, ServesThePrintedPathWithItsOptionsUntilSigterm) {
    Child c = run({"--version-text", "Zyntra V9.9", "--signature", "1E930B", "--temp", "-0.5"});
    ASSERT_GT(c.pid, 0);
    const std::string path = firstLine(c);
    ASSERT_EQ(path.compare(0, 5, "/dev/"), 0) << path;
    {
        Port port(path);
        ASSERT_TRUE(port.ok());
        EXPECT_EQ(port.frame("v"), "ZX1\xF7Zyntra V9.9\xF7SN:4711\xF7mode:p\n");
        EXPECT_EQ(port.frame("m"), "mode m Dexmode OK\n");
        EXPECT_EQ(port.dex("m:main\rmode mm\rm:twi\rr 48 02"), "FF80!\r{00}OK\n");
    }
    kill(c.pid, SIGTERM);
    EXPECT_EQ(waitExit(c), 0);
}

TEST(ZyntraSimProgram, HelpAndBadOptions) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* firstLine;
    } cases[] = {
        {{"--help"}, 0, "usage: zyntra-sim [options]"},
        {{"--misbehave", "sometimes"}, 2, ""},
        {{"--signature", "1E95"}, 2, ""},
        {{"--bogus"}, 2, ""},
    };
    for (Case& k : cases) {
        Child c = run(k.args);
        ASSERT_GT(c.pid, 0);
        EXPECT_EQ(firstLine(c), k.firstLine) << k.args[0];
        EXPECT_EQ(waitExit(c), k.exitCode) << k.args[0];
    }
}

TEST(ZyntraSimProgram, EndsWithStatusThreeWhenTheDeviceHungUp) {
    Child c = run({"--misbehave", "hangup"});
    ASSERT_GT(c.pid, 0);
    Port port(firstLine(c));
    ASSERT_TRUE(port.ok());
    port.write(simtest::kFrame + "v");
    EXPECT_TRUE(port.vanished());
    EXPECT_EQ(waitExit(c), 3);
}
