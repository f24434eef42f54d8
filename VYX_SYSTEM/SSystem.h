#pragma once

#include "SString.h"

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

    enum : int { folderPersonal = 5, folderAppData = 26, folderLocalAppData = 28, folderCommonAppData = 35 };
};
