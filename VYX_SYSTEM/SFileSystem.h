#pragma once

#include "SString.h"

// Path and folder helpers. Paths use the platform's separator (SFileSystem::separator()).
class SFileSystem {
public:
    virtual ~SFileSystem() = default;
    virtual const char* getClassName() const { return "SFileSystem"; }

    // The separator the platform writes between folder and name.
    static char separator();

    // Drive and folder of the path, one trailing separator removed: '/a/b/file.txt' gives '/a/b'.
    static SString getFolder(const SString& path);
    // Name and extension: 'file.txt'.
    static SString getFileName(const SString& path);
    // Name without its extension (the text after the last dot): 'file'.
    static SString getFileTitle(const SString& path);
    // The absolute path, "." and ".." resolved; the path need not exist.
    static SString getFullPath(const SString& path);
    static SString getCurrentFolder();
    // The folder for temporary files, ending with the separator.
    static SString getTempFolder();
    // Creates the folder and any missing parents; a folder that exists already counts as created.
    // Unless quiet, a failure is shown in a message box.
    static bool createFolder(const SString& path, bool quiet = false);
    // Opens a document or web address with the desktop's opener, or starts a program with the
    // parameters (blanks separate, double quotes group; never interpreted by a shell) in folder.
    // The show mode is the window state asked of the shell where the platform has one.
    static bool shellOpen(const SString& file, const SString& parameters = SString(),
                          const SString& folder = SString(), int showMode = 1, SString* errorText = nullptr);

private:
    static bool createFolderQuietly(const SString& path, int& error);
};
