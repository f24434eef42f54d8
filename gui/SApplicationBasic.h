#pragma once

#include "SFileIni.h"
#include "SString.h"

// Application basics: the program's path and folder (set by the application's start-up) and the
// user configuration file, an INI file named after the program with ".cfg" in the user's
// configuration folder.
class SApplicationBasic {
public:
    SApplicationBasic() = default;
    virtual ~SApplicationBasic() = default;
    virtual const char* getClassName() const { return "SApplicationBasic"; }

    // Opens the user configuration file once; later calls do nothing and succeed. When the
    // program's file name is not known yet, an error box says so and the file stays closed.
    bool openUserConfigFile();
    SFileIni& getUserConfig() { return userConfig; }

    const SString& getProgramPath() const { return programPath; }
    const SString& getProgramDirectory() const { return programDirectory; }

    SFileIni userConfig;

protected:
    SString programPath;
    SString programDirectory;
};
