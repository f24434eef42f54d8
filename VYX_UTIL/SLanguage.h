#pragma once

#include "SString.h"

#include <cstdint>

// The language table: maps the keys of localisable literals ("\xB3\xB3key\xB3\xB3default") to the
// texts of the chosen language. SString hands the texts it takes as characters to translate()
// (SString.h lists which operations do), so code never calls the table by hand. Exactly one
// instance exists: globalLanguage().
class SLanguage {
public:
    SLanguage();
    virtual void release();
    virtual const char* getClassName() const { return "SLanguage"; }
    virtual ~SLanguage();

    // Returns the text itself, a position inside it (the default part of a literal) or a position
    // inside the text store (valid until the next clear()).
    const char* translate(const char* text);
    // Frees the table; languageCode, loadErrors and translationEnabled keep their values.
    void clear();
    // Parses one language file's text and appends its entries behind those already loaded.
    int load(const SString& fileText);
    int load(const char* text, int length);

    int getCount() const { return index.used / int(sizeof(Pair)); }

    SString languageCode;
    SString loadErrors;
    int translationEnabled;

private:
    struct Pair {
        uint32_t keyOffset;
        uint32_t textOffset;
    };
    struct Store {
        char* data = nullptr;
        int size = 0;
        int used = 0;
    };

    void reserve(Store& store, int needed, int growBy);
    void shrink(Store& store, int size);
    void addEntry(const char* key, int keyLength, const char* text, int textLength);

    Store keys;
    Store texts;
    Store index;  // Pair array, sizes in bytes
};

SLanguage& globalLanguage();
