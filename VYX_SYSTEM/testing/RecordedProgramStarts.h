#pragma once

#include "SSystem.h"

#include <string>
#include <vector>

// Test double of the program start of the files/system seam: records every start instead of
// starting anything and succeeds, or fails with failWith as the system's reason when a test sets
// it. Installs itself for its lifetime.
class RecordedProgramStarts {
public:
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
    };

    RecordedProgramStarts() {
        SSystem::setProgramStarter(
            [this](const SString& program, const std::vector<SString>& arguments, SString& error) {
                Start start{raw(program), {}};
                for (const SString& argument : arguments)
                    start.arguments.push_back(raw(argument));
                starts.push_back(start);
                if (failWith.empty()) return true;
                error.setRaw(failWith.data(), int(failWith.size()));
                return false;
            });
    }
    ~RecordedProgramStarts() { SSystem::setProgramStarter(nullptr); }
    RecordedProgramStarts(const RecordedProgramStarts&) = delete;
    RecordedProgramStarts& operator=(const RecordedProgramStarts&) = delete;

    std::vector<Start> starts;
    std::string failWith;

private:
    static std::string raw(const SString& s) { return std::string(s.getChars(), size_t(s.getLength())); }
};
