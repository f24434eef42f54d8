#pragma once

#include <cstdlib>
#include <string>

// Sets (or, with nullptr, removes) an environment variable for the lifetime of the object and
// restores the previous state afterwards.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name(name) {
        const char* old = std::getenv(name);
        had = old != nullptr;
        if (had) previous = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar() {
        if (had)
            ::setenv(name.c_str(), previous.c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::string name;
    bool had;
    std::string previous;
};
