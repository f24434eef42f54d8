#pragma once

#include "SString.h"

#include <vector>

class SStringList;
struct FsFolderEntry;

// Wildcard search in one folder, and recursive file lists.
//
// Patterns: '*' stands for any run of characters, '?' for exactly one. As on the platform the
// program comes from, a pattern ending in ".*" also matches names without a dot ("*.*" matches
// every name) and one ending in "." matches only names without a dot ("*."). Names compare as the
// file system compares them: exactly on POSIX, so a name that is found opens with that spelling.
// Entries come in name order (ignoring case, as the other platform lists them), whatever order
// the file system keeps.
class SFileFind {
public:
    SFileFind();
    virtual ~SFileFind();
    virtual const char* getClassName() const { return "SFileFind"; }

    // True when an entry of the pattern's folder matches; remembers the folder part.
    bool findFirst(const SString& pattern);
    // True while further entries match.
    bool findNext();
    // The current entry's name without folder; "" when there is none.
    SString getName() const;
    bool isFolder() const;
    bool isDotEntry() const;
    // The pattern's folder: the text before its last separator, "" when it has none.
    const SString& getFolder() const { return folder; }

    // True when anything matches the path or pattern.
    static bool exists(const SString& pattern);
    // Adds every file matching pattern in folder and, recursively, in its subfolders whose names
    // match the pattern too, as prefix + separator + name (just the name with an empty prefix).
    // Links to folders are not followed, so a link loop cannot recurse for ever. Returns the
    // number of files added.
    static int listFiles(const SString& folder, SStringList& list, const SString& pattern = "*",
                         const SString& prefix = SString());
    // Whether name matches the wildcard pattern (ignoreCase: letters compare without case).
    static bool matches(const SString& name, const SString& pattern, bool ignoreCase);

private:
    std::vector<FsFolderEntry>* entries;
    int current;
    SString pattern;
    SString folder;
};
