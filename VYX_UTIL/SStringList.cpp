#include "SStringList.h"

#include "ArrayCapacity.h"
#include "ListIndexError.h"

#include <cstdlib>
#include <cstring>

namespace {

const int INITIAL_CAPACITY = 10;

}  // namespace

SStringList::SStringList() : ignoreCase(false), count(0), capacity(INITIAL_CAPACITY) {
    items = static_cast<SString**>(std::calloc(size_t(capacity), sizeof(SString*)));
}

SStringList::SStringList(const SStringList& other) : SStringList() {
    *this = other;
}

SStringList& SStringList::operator=(const SStringList& other) {
    if (&other == this) return *this;
    clear();
    ignoreCase = other.ignoreCase;
    for (int i = 0; i < other.count; ++i)
        add(*other.items[i]);
    return *this;
}

SStringList::~SStringList() {
    for (int i = 0; i < count; ++i)
        delete items[i];
    std::free(items);
}

void SStringList::fitCapacity() {
    fitArrayCapacity(items, capacity, count);
}

int SStringList::compareEntries(const SString& a, const SString& b) const {
    return a.compare(b, ignoreCase);
}

const SString& SStringList::getAt(int index) const {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        if (count == 0) {
            spare = "";
            return spare;
        }
        index = index < 0 ? 0 : count - 1;
    }
    return *items[index];
}

// The entries and the spare are never const themselves, so handing them out writable is sound.
SString& SStringList::getAt(int index) {
    return const_cast<SString&>(static_cast<const SStringList*>(this)->getAt(index));
}

bool SStringList::setAt(int index, const SString& entry) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        return false;
    }
    items[index]->set(entry);
    return true;
}

int SStringList::insertAt(int index, const SString& entry) {
    if (index < 0 || index > count) {
        showListIndexError(getClassName(), "insertAt", index, count);
        return -1;
    }
    SString* s = new SString(entry);
    std::memmove(items + index + 1, items + index, size_t(count - index) * sizeof(SString*));
    items[index] = s;
    ++count;
    fitCapacity();
    return index;
}

int SStringList::add(const SString& entry, bool unique) {
    if (unique) {
        int found = find(entry);
        if (found >= 0) return found;
    }
    return insertAt(count, entry);
}

int SStringList::find(const SString& entry, int start) const {
    if (start < 0) start = 0;
    for (int i = start; i < count; ++i)
        if (compareEntries(*items[i], entry) == 0) return i;
    return -1;
}

bool SStringList::removeAt(int index) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "removeAt", index, count);
        return false;
    }
    delete items[index];
    std::memmove(items + index, items + index + 1, size_t(count - index - 1) * sizeof(SString*));
    --count;
    items[count] = nullptr;
    fitCapacity();
    return true;
}

int SStringList::removeAll(const SString& entry) {
    const SString copy(entry);  // entry may be one of ours
    int removed = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (compareEntries(*items[i], copy) == 0) {
            removeAt(i);
            ++removed;
        }
    }
    return removed;
}

void SStringList::clear() {
    while (count > 0)
        removeAt(0);
}

void SStringList::quickSort(int low, int high, int direction) {
    // Recurse into the smaller part and loop over the larger one, so the depth stays logarithmic.
    while (low < high) {
        const SString pivot(*items[low + (high - low) / 2]);
        int i = low, j = high;
        while (i <= j) {
            while (compareEntries(*items[i], pivot) * direction < 0)
                ++i;
            while (compareEntries(*items[j], pivot) * direction > 0)
                --j;
            if (i <= j) {
                SString* t = items[i];
                items[i] = items[j];
                items[j] = t;
                ++i;
                --j;
            }
        }
        if (j - low < high - i) {
            quickSort(low, j, direction);
            low = i;
        } else {
            quickSort(i, high, direction);
            high = j;
        }
    }
}

void SStringList::sort(int direction) {
    if (count < 2) return;
    quickSort(0, count - 1, direction < 0 ? -1 : 1);
}

int SStringList::split(const SString& text, const SString& separator) {
    clear();
    // Measured as the search sees it (up to a NUL byte).
    const int sepLength = int(std::strlen(separator.getChars()));
    if (sepLength == 0) return 0;  // would never advance
    int from = 0;
    int pos = text.find(separator, 0);
    while (pos >= 0) {
        add(text.mid(from, pos - from));
        from = pos + sepLength;
        pos = text.find(separator, from);
    }
    add(text.mid(from));
    return count;
}

int SStringList::splitWords(const SString& text) {
    clear();
    SString walk(text);
    walk.trim();
    walk.append(' ');
    const char* p = walk.getChars();
    const int n = walk.getLength();
    bool inQuotes = false;
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if ((unsigned char)c <= 0x20 && !inQuotes) {
            SString word = walk.mid(start, i - start);
            word.trim();
            const int len = word.getLength();
            if (len >= 2 && word.getChars()[0] == '"' && word.getChars()[len - 1] == '"')
                word = word.mid(1, len - 2);
            add(word);
            start = i + 1;
        }
    }
    return count;
}

int SStringList::splitQuoted(const SString& text, char separator, const SString& quotePairs, bool escape) {
    clear();
    const char* p = text.getChars();
    const int n = text.getLength();
    const char* pairs = quotePairs.getChars();
    const int pairCount = quotePairs.getLength() / 2;
    SString expected;  // stack of the closing characters still awaited, innermost last
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const char c = p[i];
        if (escape && c == '\'') {
            ++i;  // the next byte is taken as it stands
            continue;
        }
        const int depth = expected.getLength();
        if (depth > 0 && c == expected.getChars()[depth - 1]) {
            expected.remove(depth - 1, 1);
            continue;
        }
        bool opened = false;
        for (int k = 0; k < pairCount; ++k) {
            if (c == pairs[2 * k]) {
                expected.append(pairs[2 * k + 1]);
                opened = true;
                break;
            }
        }
        if (opened) continue;
        if (c == separator && depth == 0) {
            add(text.mid(start, i - start));
            start = i + 1;
        }
    }
    if (start < n) add(text.mid(start));
    return count;
}

SString SStringList::join(const SString& separator) const {
    SString result;
    for (int i = 0; i < count; ++i) {
        if (i > 0) result.append(separator, -1);
        result.append(*items[i], -1);
    }
    return result;
}
