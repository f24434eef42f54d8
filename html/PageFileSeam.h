#pragma once

#include "SString.h"

// What the page template expansion asks of the file system before it reads a resource: whether
// the path names a plain file (a link is followed to its target) and how long it is. Devices,
// pipes and folders are refused, so a directive can never wait on a pipe or read an endless
// device. One implementation file per platform (posix/PageFileSeam.cpp).
//
// False for anything but a plain file, with the reason in error.
bool pageFileInfo(const SString& path, long long& size, SString& error);
