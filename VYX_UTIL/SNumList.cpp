#include "SNumList.h"

#include "ArrayCapacity.h"
#include "ListIndexError.h"
#include "SRegExp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const int INITIAL_CAPACITY = 10;

// A token the user may write as a number: binary, hexadecimal, a #RRGGBB colour or decimal.
const char* const NUMBER_PATTERN = "/(0b[01]+)|(0x[0-9a-f]+)|(#[0-9a-f]{6})|([0-9]+)/i";

}  // namespace

SNumList::SNumList() : count(0), capacity(INITIAL_CAPACITY), spare(0) {
    items = static_cast<int*>(std::calloc(size_t(capacity), sizeof(int)));
}

SNumList::SNumList(const SNumList& other) : SNumList() {
    *this = other;
}

SNumList& SNumList::operator=(const SNumList& other) {
    if (&other == this) return *this;
    clear();
    for (int i = 0; i < other.count; ++i)
        add(other.items[i]);
    return *this;
}

SNumList::~SNumList() {
    std::free(items);
}

void SNumList::fitCapacity() {
    fitArrayCapacity(items, capacity, count);
}

int& SNumList::getAt(int index) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        if (count == 0) {
            spare = 0;
            return spare;
        }
        index = index < 0 ? 0 : count - 1;
    }
    return items[index];
}

int SNumList::getAt(int index) const {
    return const_cast<SNumList*>(this)->getAt(index);
}

bool SNumList::setAt(int index, int value) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        return false;
    }
    items[index] = value;
    return true;
}

int SNumList::insertAt(int index, int value) {
    if (index < 0 || index > count) {
        showListIndexError(getClassName(), "insertAt", index, count);
        return -1;
    }
    std::memmove(items + index + 1, items + index, size_t(count - index) * sizeof(int));
    items[index] = value;
    ++count;
    fitCapacity();
    return index;
}

int SNumList::add(int value, bool unique) {
    if (unique) {
        int found = find(value);
        if (found >= 0) return found;
    }
    return insertAt(count, value);
}

int SNumList::find(int value, int start) const {
    if (start < 0) start = 0;
    for (int i = start; i < count; ++i)
        if (items[i] == value) return i;
    return -1;
}

bool SNumList::removeAt(int index) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "removeAt", index, count);
        return false;
    }
    std::memmove(items + index, items + index + 1, size_t(count - index - 1) * sizeof(int));
    --count;
    items[count] = 0;
    fitCapacity();
    return true;
}

int SNumList::removeAll(int value) {
    int removed = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (items[i] == value) {
            removeAt(i);
            ++removed;
        }
    }
    return removed;
}

void SNumList::clear() {
    while (count > 0)
        removeAt(0);
}

void SNumList::sort(int direction) {
    if (count < 2) return;
    // Equal entries cannot be told apart, so any sorting algorithm gives the same list.
    if (direction < 0)
        std::sort(items, items + count, [](int a, int b) { return a > b; });
    else
        std::sort(items, items + count, [](int a, int b) { return a < b; });
}

bool SNumList::parse(const SString& text, bool clearFirst, SString* rejected) {
    if (clearFirst) clear();
    SString walk(text);
    walk.trim();
    walk.append(' ');
    const char* p = walk.getChars();
    const int n = walk.getLength();
    bool inQuotes = false;
    int start = 0;
    // i == n stands for the end of the text: a token still open there (an unclosed quote) is
    // taken as it stands instead of being dropped.
    for (int i = 0; i <= n; ++i) {
        if (i < n) {
            const char c = p[i];
            if (c == '"') inQuotes = !inQuotes;
            if (inQuotes || ((unsigned char)c > 0x20 && c != ',')) continue;
        }
        SString token = walk.mid(start, i - start);
        start = i + 1;
        token.trim();
        const int len = token.getLength();
        const char* t = token.getChars();
        if (len >= 2 && t[0] == '"' && t[len - 1] == '"') {
            for (int k = 1; k < len - 1; ++k)
                add(int((signed char)t[k]));
            continue;
        }
        if (len == 0) continue;
        if (rejected != nullptr) {
            SRegExp number;
            if (number.findOne(token, NUMBER_PATTERN, 0) != 0 || number.getMatchEnd(0) != len) {
                // Shown to the user as typed: a raw copy, not offered to the language table.
                rejected->set("");
                rejected->append(token, -1);
                return false;
            }
        }
        // The check accepts 0X and 0B too; toInt knows only the lower-case prefixes.
        token.toLower();
        add(token.toInt());
    }
    return true;
}

int SNumList::split(const SString& text, const SString& separator) {
    clear();
    // Measured as the search sees it (up to a NUL byte).
    const int sepLength = int(std::strlen(separator.getChars()));
    if (sepLength == 0) return 0;  // would never advance
    int from = 0;
    int pos = text.find(separator, 0);
    while (pos >= 0) {
        add(text.mid(from, pos - from).toInt());
        from = pos + sepLength;
        pos = text.find(separator, from);
    }
    if (from < text.getLength()) add(text.mid(from).toInt());
    return count;
}
