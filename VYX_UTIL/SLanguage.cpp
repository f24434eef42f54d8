#include "SLanguage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {
const char kMarker[] = "\xB3\xB3";

bool isMarkerAt(const char* p) {
    return (unsigned char)p[0] == 0xB3 && (unsigned char)p[1] == 0xB3;
}

// Position of the next marker pair in [from, end), or end when there is none.
const char* findMarker(const char* from, const char* end) {
    for (const char* p = from; p + 1 < end; ++p)
        if (isMarkerAt(p)) return p;
    return end;
}

[[noreturn]] void outOfMemory(const char* what) {
    std::fprintf(stderr, "SLanguage: out of memory (%s)\n", what);
    std::abort();
}
}  // namespace

SLanguage& globalLanguage() {
    // Never destroyed: strings built during static destruction still translate safely.
    static SLanguage* table = new SLanguage();
    return *table;
}

SLanguage::SLanguage() : translationEnabled(1) {
    // Construct the strings with translation already on; the literals below carry no markers.
    languageCode = "de";
}

SLanguage::~SLanguage() {
    clear();
}

void SLanguage::release() {
    delete this;
}

const char* SLanguage::translate(const char* text) {
    if (translationEnabled != 1 || text == nullptr || !isMarkerAt(text)) return text;
    const char* keyStart = text + 2;
    const char* end = keyStart + std::strlen(keyStart);
    const char* second = findMarker(keyStart, end);
    if (second == end) return keyStart;
    const int keyLength = int(second - keyStart);

    // Stored keys are followed by the marker pair, so comparing key length plus 2 bytes keeps
    // "Error0" from matching "Error05".
    const Pair* pairs = reinterpret_cast<const Pair*>(index.data);
    const int count = getCount();
    for (int i = 0; i < count; ++i) {
        const char* stored = keys.data + pairs[i].keyOffset;
        if (keys.used - int(pairs[i].keyOffset) < keyLength + 2) continue;
        if (std::memcmp(stored, keyStart, size_t(keyLength) + 2) == 0)
            return texts.data + pairs[i].textOffset;
    }
    return second + 2;
}

void SLanguage::clear() {
    for (Store* s : {&keys, &texts, &index}) {
        std::free(s->data);
        *s = Store();
    }
}

void SLanguage::reserve(Store& store, int needed, int growBy) {
    if (store.size - store.used >= needed) return;
    int newSize = store.used + growBy;
    if (newSize < store.used + needed) newSize = store.used + needed;
    char* p = static_cast<char*>(std::realloc(store.data, size_t(newSize)));
    if (p == nullptr) outOfMemory("reserve");
    std::memset(p + store.size, 0, size_t(newSize - store.size));
    store.data = p;
    store.size = newSize;
}

void SLanguage::shrink(Store& store, int size) {
    if (size <= 0 || size == store.size) return;
    char* p = static_cast<char*>(std::realloc(store.data, size_t(size)));
    if (p == nullptr) return;  // keeping the larger buffer is harmless
    if (size > store.size) std::memset(p + store.size, 0, size_t(size - store.size));
    store.data = p;
    store.size = size;
}

void SLanguage::addEntry(const char* key, int keyLength, const char* text, int textLength) {
    // The index grows by 126 pairs when fewer than 8 free bytes remain.
    if (index.size - index.used < 8) reserve(index, index.size - index.used + 1008, 1008);
    if (keys.size - keys.used < keyLength + 2 + 10) reserve(keys, keyLength + 2 + 10, 1000);
    if (texts.size - texts.used < textLength + 1 + 10) reserve(texts, textLength + 1 + 10, 1000);

    Pair pair{uint32_t(keys.used), uint32_t(texts.used)};
    std::memcpy(index.data + index.used, &pair, sizeof pair);
    index.used += int(sizeof pair);

    std::memcpy(keys.data + keys.used, key, size_t(keyLength));
    std::memcpy(keys.data + keys.used + keyLength, kMarker, 2);
    keys.used += keyLength + 2;

    std::memcpy(texts.data + texts.used, text, size_t(textLength));
    texts.data[texts.used + textLength] = 0;
    texts.used += textLength + 1;
}

int SLanguage::load(const SString& fileText) {
    return load(fileText.getChars(), fileText.getLength());
}

int SLanguage::load(const char* text, int length) {
    const int savedEnabled = translationEnabled;
    translationEnabled = 0;

    const char* p = text;
    const char* end = text + (length > 0 ? length : 0);
    int itemNumber = 0;
    while (p < end) {
        while (p < end && (unsigned char)*p <= 0x20)
            ++p;
        if (p >= end) break;
        ++itemNumber;
        if (*p == ';' || *p == '#') {
            while (p < end && !(p + 1 < end && p[0] == '\r' && p[1] == '\n'))
                ++p;
            p = p < end ? p + 2 : end;
            continue;
        }
        const char* itemEnd = findMarker(p, end);
        const char* equals = static_cast<const char*>(std::memchr(p, '=', size_t(itemEnd - p)));
        const char* keyEnd = equals ? equals : itemEnd;
        if (keyEnd == p) {
            SString message;
            message.format("SLanguage::load(..) Eintrag Nr. %d hat einen leeren Schl\xFCssel.", itemNumber);
            loadErrors.append(message);
        } else {
            const char* textStart = equals ? equals + 1 : itemEnd;
            addEntry(p, int(keyEnd - p), textStart, int(itemEnd - textStart));
        }
        p = itemEnd < end ? itemEnd + 2 : end;
    }

    // A 0 byte after the last key, then every store shrunk to what it uses.
    if (keys.data != nullptr) {
        reserve(keys, 1, 1);
        keys.data[keys.used] = 0;
        shrink(keys, keys.used + 1);
        shrink(texts, texts.used);
        shrink(index, index.used);
    }
    translationEnabled = savedEnabled;
    return 1;
}
