#pragma once

#include "SString.h"

class SFileIni;

// The program's settings files: an INI file named after the program with the extension ".cfg",
// in the user's configuration folder (openUserConfigFile; $XDG_CONFIG_HOME or ~/.config, created
// when missing) or in the one shared by all users (openComputerConfigFile; the first folder of
// $XDG_CONFIG_DIRS or /etc/xdg). Both work on the one SFileIni the application object owns: the
// first call opens it (creating an empty file when there is none), later calls find it open and
// succeed at once. programPath is the program file's path as the command line gave it; when no
// name can be taken from it, an error box says so and the result is false.
class SApplicationConfig {
public:
    virtual ~SApplicationConfig() = default;
    virtual const char* getClassName() const { return "SApplicationConfig"; }

    static bool openUserConfigFile(SFileIni& config, const SString& programPath);
    static bool openComputerConfigFile(SFileIni& config, const SString& programPath);

    // The file either of them opens: folder + separator + program name + ".cfg" ("" without a name).
    static SString configFilePath(int folderId, const SString& programPath);
    // The user's file of the running program, named after the program's own file.
    static SString ownUserConfigFilePath();

private:
    static bool openConfigFile(SFileIni& config, const SString& programPath, int folderId,
                               const char* caller);
};
