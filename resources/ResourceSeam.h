#pragma once

#include "SString.h"

// What SResources needs of the operating system beyond the files seam, in its own terms. One
// implementation per platform (posix/ResourceSeam.cpp).

// The running program's own file, whatever its command line says ("" when unknown).
SString resOwnProgramPath();

enum class ResFolderResult { created, exists, noParent, failed };
// Creates one folder that only the current user may enter, in one step: when anything already
// exists under the name (a folder, a file or a link) nothing is created and the result is exists.
// noParent: the folder above it is missing. On failure error holds the system's message.
ResFolderResult resCreatePrivateFolder(const SString& path, SString& error);
// Removes an empty folder; false when it is not empty or cannot be removed.
bool resRemoveFolder(const SString& path);
// True when path names an existing file (not a folder).
bool resFileExists(const SString& path);
// The local date and time as "%d.%m.%Y %H:%M:%S".
SString resLocalTimeText();
