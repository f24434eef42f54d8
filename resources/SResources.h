#pragma once

#include "ArchiveFormat.h"
#include "SFileIni.h"
#include "SMapStringToString.h"
#include "SString.h"
#include "SStringList.h"

#include <ctime>
#include <vector>

class SFile;

// The program's resources: the archive appended to the program file, unpacked at start into a
// private temporary folder, or, without an archive, the resource directories on disk (directory
// mode, the development set-up). getFile(name) gives the path of a readable copy of a resource,
// getStyle(name) a style text of the window framework, loadLanguage(code) fills the language
// table. Exactly one instance: globalResources().
//
// The temporary folder holds a lock while its program runs; a start removes the folders whose
// programs were ended before they could remove their own (killed, crashed).
class SResources {
public:
    SResources();
    virtual void release();
    virtual const char* getClassName() const { return "SResources"; }
    virtual ~SResources();

    // Once, at start, after programPath and programDirectory are set (when programPath is empty,
    // the running program's own file and its folder are taken).
    void init();
    // Path of an existing file for the resource name, "" when there is none.
    SString getFile(const SString& name);
    // The style table's text for the name, "" when unknown.
    SString getStyle(const SString& name);
    // Clears the language table and loads every "*_<code>.lng" of the program's directories.
    void loadLanguage(const SString& code);

    // Reads the archive behind programPath into a new temporary folder; 1 on success. A failure
    // shows one message box and leaves its reason in errorText.
    int readArchive();

    // What destruction does: deletes the extracted files and the extraction folder, and in
    // directory mode writes resource.ini back. The global object is never destroyed, so this runs
    // at program exit (std::atexit); calling it twice does no harm.
    void cleanUp();

    // The running program's own file (on Linux /proc/self/exe), not what its command line says.
    static SString getOwnProgramPath();

    SFileIni controlPositions;
    int directoryMode;
    SFileIni resourceIni;
    SString programDirectory;
    SString programPath;
    SString extractDirectory;
    unsigned char scrambleKey;
    SStringList resourceDirectories;
    SMapStringToString styles;
    SMapStringToString extractedFiles;  // entry name as stored -> path of its extracted file
    int archiveLoaded;
    int initialized;

    // Set before init() by tests and tools; the program keeps the defaults.
    char markerState;          // state character of the program's archive marker
    SString tempFolder;        // receives the extraction folder; "" is the system's one
    time_t (*clock)(time_t*);  // time stamp of the extraction folder's name
    SString errorText;         // reason of the last archive failure

private:
    void createDirectoryModeFiles();
    void loadIniFiles();
    void buildStyles();
    void setStyle(const SString& name, const SString& value);
    bool createExtractDirectory();
    // Writes the entries into the extraction folder; the failing file's errors stay in temp.
    bool extractEntries(const std::vector<archive::Entry>& entries, SFile& temp);
    void collectLanguageFiles(const SString& folder, const SString& pattern, bool recursive, int depth,
                              SStringList& paths);

    // The lock in the extraction folder that tells later starts this instance still runs.
    int instanceLock = -1;
};

SResources& globalResources();
