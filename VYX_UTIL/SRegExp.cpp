#include "SRegExp.h"

#include "SError.h"

#include <pcre.h>

namespace {

// Room for this many (start, end) pairs: the engine keeps the last third of the vector for its
// own work.
const int PAIR_ROOM = SRegExp::OFFSET_COUNT / 3;

int optionsFromModifiers(const SString& modifiers) {
    int options = 0;
    for (int i = 0; i < modifiers.getLength(); ++i) {
        switch (modifiers.getChars()[i]) {
            case 'i':
                options |= PCRE_CASELESS;
                break;
            case 'm':
                options |= PCRE_MULTILINE;
                break;
            case 's':
                options |= PCRE_DOTALL;
                break;
            case 'x':
                options |= PCRE_EXTENDED;
                break;
            case 'A':
                options |= PCRE_ANCHORED;
                break;
            case 'D':
                options |= PCRE_DOLLAR_ENDONLY;
                break;
            case 'X':
                options |= PCRE_EXTRA;
                break;
            case 'U':
                options |= PCRE_UNGREEDY;
                break;
            case 'u':
                options |= PCRE_UTF8;
                break;
            default:
                break;
        }
    }
    return options;
}

void showMissingPattern(const char* operation) {
    SString text("Fehler: SRegExp::");
    text.append(operation);
    text.append("() wurde ohne regul\xE4ren Ausdruck aufgerufen und es lag keiner vor.");
    globalError().showError(text);
}

}  // namespace

SRegExp::SRegExp() : compiled(nullptr), matchCount(-1), utf8(false) {
    for (int& o : offsets)
        o = -1;
}

SRegExp::~SRegExp() {
    release();
}

void SRegExp::release() {
    if (compiled != nullptr) pcre_free(compiled);
    compiled = nullptr;
    utf8 = false;
}

int SRegExp::getMatchStart(int i) const {
    if (i < 0 || i >= matchCount) return -1;
    return offsets[2 * i];
}

int SRegExp::getMatchEnd(int i) const {
    if (i < 0 || i >= matchCount) return -1;
    return offsets[2 * i + 1];
}

bool SRegExp::compile(const SString& delimited) {
    release();
    SString pattern, modifiers;
    const int length = delimited.getLength();
    if (length > 0) {
        const int last = delimited.findLastChar(delimited.getChars()[0]);
        if (last > 0) {
            pattern = delimited.mid(1, last - 1);
            modifiers = delimited.mid(last + 1);
        } else {
            pattern = delimited.mid(1);  // the delimiter occurs once: all of the rest is pattern
        }
    }
    const int options = optionsFromModifiers(modifiers);
    const char* error = nullptr;
    int errorOffset = 0;
    compiled = pcre_compile(pattern.getChars(), options, &error, &errorOffset, nullptr);
    if (compiled == nullptr) {
        SString text("Fehlerhafte Syntax im regul\xE4ren Ausdruck:\r\n");
        text.append(pattern, -1);
        text.append("\r\n Modifier: ");
        text.append(modifiers, -1);
        text.append("\r\n an Offset: ");
        text.append(SString::fromInt(errorOffset), -1);
        text.append("\r\nFehler: ");
        text.append(SString(error != nullptr ? error : ""), -1);
        globalError().showError(text);
        return false;
    }
    utf8 = (options & PCRE_UTF8) != 0;
    return true;
}

bool SRegExp::search(const SString& text, int start, int options, const char* operation) {
    if (compiled == nullptr) {
        showMissingPattern(operation);
        matchCount = -1;
        return false;
    }
    matchCount = pcre_exec(static_cast<pcre*>(compiled), nullptr, text.getChars(), text.getLength(), start,
                           options, offsets, OFFSET_COUNT);
    if (matchCount == PCRE_ERROR_NOMATCH) return false;
    if (matchCount < 0) {
        SString message("Fehler (");
        message.append(matchCount);
        message.append(")bei SString::match()");
        globalError().showError(message);
        return false;
    }
    if (matchCount == 0) {
        matchCount = PAIR_ROOM;
        SString message(
            "Fehler: Zuviel Ergebnisse, es ist nur Platz f\xFC"
            "r ");
        message.append(PAIR_ROOM - 1);
        message.append(" Elemente");
        globalError().showError(message);
    }
    return true;
}

void SRegExp::appendPairs(SStringList& results, const SString& text) const {
    for (int i = 0; i < matchCount; ++i) {
        const int s = offsets[2 * i], e = offsets[2 * i + 1];
        // A group that took no part in the match reports -1 offsets and gives "".
        results.add(s >= 0 && e > s ? text.mid(s, e - s) : SString());
    }
}

int SRegExp::findAll(const SString& subjectText, const SString& pattern, SStringList& results) {
    if (!compile(pattern)) return 0;
    subject.set(subjectText);
    const int length = subject.getLength();
    // In UTF-8 mode the first search checks the subject; later ones start at match boundaries.
    int options = utf8 ? 0 : PCRE_NO_UTF8_CHECK;
    if (!search(subject, 0, options, "findAll")) return 0;
    options = PCRE_NO_UTF8_CHECK;
    int matches = 0;
    int from = 0;
    bool notEmpty = false;
    for (;;) {
        appendPairs(results, subject);
        ++matches;
        const int s = offsets[0];
        // \K inside a look-ahead can report a start behind the end: go on from the later one.
        const int e = offsets[1] > s ? offsets[1] : s;
        if (e == s) {
            if (e >= length) break;
            // Anchored and non-empty from here on; stop when even that makes no progress.
            if (notEmpty && e <= from) break;
            options |= PCRE_NOTEMPTY | PCRE_ANCHORED;
            notEmpty = true;
        }
        from = e;
        if (!search(subject, from, options, "findAll")) break;
    }
    return matches;
}

int SRegExp::findOne(const SString& subjectText, const SString& pattern, int start) {
    if (!compile(pattern)) return -1;
    subject.set(subjectText);
    // In UTF-8 mode the subject is checked (a start offset may also fall inside a character).
    if (!search(subject, start, utf8 ? 0 : PCRE_NO_UTF8_CHECK, "findOne")) return -1;
    return offsets[0];
}

int SRegExp::getResults(SStringList& results) {
    if (matchCount <= 0) return 0;
    appendPairs(results, subject);
    return matchCount;
}

SString SRegExp::replace(const SString& subjectText, const SString& pattern, const SString& replacement) {
    SString result;
    if (!compile(pattern)) return result;
    subject.set(subjectText);
    int pos = 0;  // the remainder is the subject from here on
    int options = 0;
    bool notEmpty = false;
    for (;;) {
        // Each search runs on the remainder as a text of its own, so ^ and look-behinds see its
        // first byte as the start of the text.
        const SString remainder = subject.mid(pos);
        if (!search(remainder, 0, options, "replace")) break;
        const int s = offsets[0];
        const int e = offsets[1] > s ? offsets[1] : s;
        result.append(remainder.left(s), -1);
        result.append(replacement, -1);
        if (e == s) {
            if (e >= remainder.getLength()) {
                pos = subject.getLength();
                break;
            }
            if (notEmpty && e == 0) break;  // no progress even when anchored and non-empty
            options |= PCRE_NOTEMPTY | PCRE_ANCHORED;
            notEmpty = true;
        }
        pos += e;
        options |= PCRE_NO_UTF8_CHECK;
    }
    result.append(subject.mid(pos), -1);
    return result;
}
