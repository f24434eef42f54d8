#pragma once

#include "SString.h"

#include <cstdio>
#include <vector>

// The files and system seam: what SFile, SFileFind, SFileSystem, SSystem, SFileIni, SResources and
// the page template expansion need of the operating system beyond the C runtime's streams, in
// their own terms. One implementation file
// per platform (posix/FileSystemSeam.cpp); nothing above this header sees the platform's headers.
//
// Conventions: paths and texts are the program's Windows-1252 text; functions that can fail
// return false (or an empty text) and leave the system's error number in fsLastError().

// The separator the platform writes between folder and name ('/' here, '\\' on Windows).
extern const char fsPathSeparator;
// True for every character the platform accepts as a separator in a path.
bool fsIsSeparator(char c);
// Whether the file system compares names ignoring case; the wildcard search matches the same way,
// so that a name it finds can be opened with the same spelling.
bool fsNamesIgnoreCase();

// The error number of the calling thread's last failed call, and its message text ("" when the
// system has none for the number).
int fsLastError();
void fsSetLastError(int error);
SString fsErrorText(int error);

// The C runtime's fopen for a path in the program's text.
FILE* fsOpenStream(const SString& path, const char* mode);

struct FsFolderEntry {
    SString name;
    bool isFolder = false;  // a folder, or a link that leads to one
    bool isLink = false;    // a symbolic link (its target may be a folder)
};
// Every entry of the folder, "." and ".." included, in the file system's order. An empty folder
// name is the current folder.
bool fsReadFolder(const SString& folder, std::vector<FsFolderEntry>& entries);

// Creates one folder (its parent must exist).
bool fsCreateFolder(const SString& path);
enum class FsFolderResult { created, exists, noParent, failed };
// Creates one folder that only the current user may enter, in one step: when anything already
// exists under the name (a folder, a file or a link) nothing is created and the result is exists.
// noParent: the folder above it is missing. On failure error holds the system's message.
FsFolderResult fsCreatePrivateFolder(const SString& path, SString& error);
// Removes an empty folder; false when it is not empty or cannot be removed.
bool fsRemoveFolder(const SString& path);
bool fsIsFolder(const SString& path);
// True when path names an existing file (not a folder).
bool fsFileExists(const SString& path);
// Whether path names a plain file (a link is followed to its target) and how long it is: false
// for folders, devices and pipes, with the reason in error, so that a reader never waits on a
// pipe or reads an endless device.
bool fsPlainFileInfo(const SString& path, long long& size, SString& error);
bool fsRemoveFile(const SString& path);

// The absolute form of path, with "." and ".." resolved by text (the path need not exist).
SString fsFullPath(const SString& path);
SString fsCurrentFolder();
// The folder for temporary files, ending with the separator.
SString fsTempFolder();
// Creates a new, empty file with a unique name beginning with prefix in folder and gives its path.
bool fsCreateUniqueFile(const SString& folder, const SString& prefix, SString& path);

// Replaces the file's content as one step: the bytes go to a new file in the same folder, which is
// flushed to the disk and then renamed over the old one, so a crash or a full disk leaves either
// the old or the new content, never a mixture. A link is followed to the file it names, and an
// existing file keeps its permissions.
bool fsReplaceFile(const SString& path, const char* data, int size);

// Instance locks: a file whose lock tells whether the process that made it still runs, seen alike
// from every process on the machine. The lock goes with its process however that ends (a crash,
// a kill), and a process id used again later does not take it over.
//
// Creates the lock file at path, held by this process, with the process id as its text; the file
// appears under its name already held, never free for a moment. The handle is for
// fsReleaseInstanceLock; -1 on failure.
int fsCreateInstanceLock(const SString& path);
void fsReleaseInstanceLock(int lock);
enum class FsLockState { missing, held, free };
// Whether a running process holds the lock file at path. Anything that cannot be told (a file
// that is not a plain file, one that cannot be opened) counts as held.
FsLockState fsInstanceLockState(const SString& path);

// The running program's own file, whatever its command line says ("" when unknown).
SString fsOwnProgramPath();
// The local date and time as "%d.%m.%Y %H:%M:%S".
SString fsLocalTimeText();

// The value of an environment variable; found tells whether it is set.
SString fsEnvironment(const SString& name, bool* found = nullptr);

// The folder for a shell folder id: 26 the user's settings, 35 the settings shared by all users,
// 28 the user's local data, 5 the user's documents. "" for ids the platform has no folder for.
SString fsSpecialFolder(int id);

// Opens a document, folder or web address with the desktop's opener, or starts a program with
// parameters (split at blanks, double quotes group). Never through a shell command line. On
// failure gives false and the reason in error.
bool fsShellOpen(const SString& file, const SString& parameters, const SString& folder, SString& error);

// Starts the program file (a path) as a new process with arguments behind its name, this
// process's environment and working folder. The new process is detached: it outlives the caller
// and leaves no zombie behind. Never through a shell. On failure gives false and the reason in
// error.
bool fsStartProgram(const SString& program, const std::vector<SString>& arguments, SString& error);
