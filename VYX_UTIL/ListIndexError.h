#pragma once

#include "SError.h"

// The error box every list shows for an index out of range; method is "getAt", "insertAt" or
// "removeAt".
inline void showListIndexError(const char* className, const char* method, int index, int count) {
    SString text;
    text.format(
        "Fehler in der Liste: %s.%s(..)\r\nEs wurde ein Element au\xDF"
        "erhalb des Bereiches angefordert.\r\nAngefordert wurde: %d\r\nm\xF6"
        "glich ist: 0...%d",
        className, method, index, count - 1);
    globalError().showError(text);
}
