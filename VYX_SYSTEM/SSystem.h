#pragma once

#include "SString.h"

#include <functional>
#include <vector>

// System error texts, environment variables and the system's special folders.
class SSystem {
public:
    virtual ~SSystem() = default;
    virtual const char* getClassName() const { return "SSystem"; }

    // The system's message for an error number; "Unbekannter Fehler <n>." when it has none.
    static SString getErrorText(int errorNumber);
    // The variable's value, "" when it is not set.
    static SString getEnvironment(const SString& name);
    // The path of a shell folder (no trailing separator): 26 the user's configuration folder,
    // 35 the one shared by all users, 28 the user's local data, 5 the user's documents.
    // With create set a missing folder is created with its parents. "" for an unknown id.
    static SString getSpecialFolder(int folderId, bool create = false);

    // Starts the program file with the arguments as a process of its own, with this process's
    // environment and working folder, never through a shell. A failure shows an error box naming
    // the program and the system's reason (unless quiet) and gives false; errorText receives the
    // reason.
    static bool startProgram(const SString& program, const std::vector<SString>& arguments = {},
                             bool quiet = false, SString* errorText = nullptr);
    // What startProgram calls to start the process (the system's start by default). Tests put a
    // recorder here; an empty function restores the system's start.
    using ProgramStarter =
        std::function<bool(const SString& program, const std::vector<SString>& arguments, SString& error)>;
    static void setProgramStarter(ProgramStarter starter);

    enum : int { folderPersonal = 5, folderAppData = 26, folderLocalAppData = 28, folderCommonAppData = 35 };
};
