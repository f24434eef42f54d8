#include "SFileFind.h"

#include "FileSystemSeam.h"
#include "SStringList.h"

#include <algorithm>
#include <cstring>

namespace {

unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c;
}

bool sameChar(char a, char b, bool ignoreCase) {
    return ignoreCase ? fold((unsigned char)a) == fold((unsigned char)b) : a == b;
}

// '*' and '?' with one remembered star: on a mismatch the last star takes one more character.
// Linear in practice and never exponential.
bool globMatch(const char* p, int pn, const char* n, int nn, bool ignoreCase) {
    int pi = 0, ni = 0, starP = -1, starN = 0;
    while (ni < nn) {
        if (pi < pn && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < pn && (p[pi] == '?' || sameChar(p[pi], n[ni], ignoreCase))) {
            ++pi;
            ++ni;
        } else if (starP >= 0) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == '*')
        ++pi;
    return pi == pn;
}

bool onlyDots(const SString& text) {
    for (int i = 0; i < text.getLength(); ++i)
        if (text.getChars()[i] != '.') return false;
    return true;
}

int lastSeparator(const SString& path) {
    for (int i = path.getLength() - 1; i >= 0; --i)
        if (fsIsSeparator(path.getChars()[i])) return i;
    return -1;
}

bool nameOrder(const FsFolderEntry& a, const FsFolderEntry& b) {
    int n = std::min(a.name.getLength(), b.name.getLength());
    for (int i = 0; i < n; ++i) {
        unsigned char x = fold((unsigned char)a.name.getChars()[i]),
                      y = fold((unsigned char)b.name.getChars()[i]);
        if (x != y) return x < y;
    }
    if (a.name.getLength() != b.name.getLength()) return a.name.getLength() < b.name.getLength();
    return std::memcmp(a.name.getChars(), b.name.getChars(), size_t(n)) < 0;
}

}  // namespace

bool SFileFind::matches(const SString& name, const SString& pattern, bool ignoreCase) {
    const char* p = pattern.getChars();
    int pn = pattern.getLength();
    const char* n = name.getChars();
    int nn = name.getLength();
    if (globMatch(p, pn, n, nn, ignoreCase)) return true;
    const bool nameHasDot = name.findChar('.') >= 0;
    // "x.*" also stands for "x" without any extension.
    if (pn >= 2 && p[pn - 2] == '.' && p[pn - 1] == '*' && !nameHasDot)
        return globMatch(p, pn - 2, n, nn, ignoreCase);
    return false;
}

SFileFind::SFileFind() : entries(new std::vector<FsFolderEntry>()), current(-1) {}

SFileFind::~SFileFind() {
    delete entries;
}

bool SFileFind::findFirst(const SString& searchPattern) {
    pattern = searchPattern;
    entries->clear();
    current = -1;
    int last = lastSeparator(searchPattern);
    folder = last < 0 ? SString() : searchPattern.left(last);
    SString namePattern = searchPattern.mid(last + 1);
    if (namePattern.isEmpty()) return false;
    // "/name" lies in the root, whose folder part is empty.
    SString listed = (last == 0) ? SString(searchPattern.left(1)) : folder;
    std::vector<FsFolderEntry> all;
    if (!fsReadFolder(listed, all)) return false;

    // "x." matches only names without a dot; "." and ".." are names, not such patterns.
    bool noDot = namePattern.endsWith(".") && !onlyDots(namePattern);
    SString core = noDot ? namePattern.left(namePattern.getLength() - 1) : namePattern;
    const bool ignoreCase = fsNamesIgnoreCase();
    for (FsFolderEntry& entry : all) {
        if (noDot && entry.name.findChar('.') >= 0) continue;
        if (matches(entry.name, core, ignoreCase)) entries->push_back(entry);
    }
    std::sort(entries->begin(), entries->end(), nameOrder);
    return findNext();
}

bool SFileFind::findNext() {
    if (current + 1 >= int(entries->size())) {
        current = int(entries->size());
        return false;
    }
    ++current;
    return true;
}

SString SFileFind::getName() const {
    if (current < 0 || current >= int(entries->size())) return SString();
    return (*entries)[size_t(current)].name;
}

bool SFileFind::isFolder() const {
    return current >= 0 && current < int(entries->size()) && (*entries)[size_t(current)].isFolder;
}

bool SFileFind::isDotEntry() const {
    SString name = getName();
    return name == "." || name == "..";
}

bool SFileFind::exists(const SString& pattern) {
    SFileFind find;
    return find.findFirst(pattern);
}

int SFileFind::listFiles(const SString& folder, SStringList& list, const SString& pattern,
                         const SString& prefix) {
    SFileFind find;
    SString search(folder);
    if (!search.isEmpty() && !fsIsSeparator(search.getChars()[search.getLength() - 1]))
        search.append(fsPathSeparator);
    search.append(pattern);
    int added = 0;
    for (bool found = find.findFirst(search); found; found = find.findNext()) {
        if (find.isDotEntry()) continue;
        const FsFolderEntry& entry = (*find.entries)[size_t(find.current)];
        SString path(prefix);
        if (!path.isEmpty()) path.append(fsPathSeparator);
        path.append(entry.name, entry.name.getLength());
        if (entry.isFolder) {
            if (entry.isLink) continue;
            SString subFolder(folder);
            if (!subFolder.isEmpty() && !fsIsSeparator(subFolder.getChars()[subFolder.getLength() - 1]))
                subFolder.append(fsPathSeparator);
            subFolder.append(entry.name, entry.name.getLength());
            added += listFiles(subFolder, list, pattern, path);
        } else {
            list.add(path);
            ++added;
        }
    }
    return added;
}
