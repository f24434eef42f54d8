#include "SRegExp.h"

#include "SError.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>

namespace {

// Room for this many (start, end) pairs: the last third of the 1000 offsets was the engine's
// work space, and a match with more groups still reports only these.
const int PAIR_ROOM = SRegExp::OFFSET_COUNT / 3;

struct Options {
    uint32_t compile;
    bool unknownEscapeIsLetter;  // \q means q; X makes it an error
};

Options optionsFromModifiers(const SString& modifiers) {
    Options options{0, true};
    for (int i = 0; i < modifiers.getLength(); ++i) {
        switch (modifiers.getChars()[i]) {
            case 'i':
                options.compile |= PCRE2_CASELESS;
                break;
            case 'm':
                options.compile |= PCRE2_MULTILINE;
                break;
            case 's':
                options.compile |= PCRE2_DOTALL;
                break;
            case 'x':
                options.compile |= PCRE2_EXTENDED;
                break;
            case 'A':
                options.compile |= PCRE2_ANCHORED;
                break;
            case 'D':
                options.compile |= PCRE2_DOLLAR_ENDONLY;
                break;
            case 'X':
                options.unknownEscapeIsLetter = false;
                break;
            case 'U':
                options.compile |= PCRE2_UNGREEDY;
                break;
            case 'u':
                options.compile |= PCRE2_UTF;
                break;
            default:
                break;
        }
    }
    return options;
}

// Match errors keep the numbers the error box and getMatchCount() have always given for them;
// the rest cannot come from the calls made here and pass through as they are.
int classicMatchError(int result) {
    if (result <= PCRE2_ERROR_UTF8_ERR1 && result >= PCRE2_ERROR_UTF8_ERR21) return -10;  // bad UTF-8
    static const struct {
        int engine, classic;
    } known[] = {
        {PCRE2_ERROR_NULL, -2},          {PCRE2_ERROR_BADOPTION, -3},    {PCRE2_ERROR_BADMAGIC, -4},
        {PCRE2_ERROR_NOMEMORY, -6},      {PCRE2_ERROR_HEAPLIMIT, -6},    {PCRE2_ERROR_MATCHLIMIT, -8},
        {PCRE2_ERROR_BADUTFOFFSET, -11}, {PCRE2_ERROR_INTERNAL, -14},    {PCRE2_ERROR_DEPTHLIMIT, -21},
        {PCRE2_ERROR_BADOFFSET, -24},    {PCRE2_ERROR_RECURSELOOP, -26}, {PCRE2_ERROR_BADMODE, -28},
    };
    for (const auto& k : known)
        if (k.engine == result) return k.classic;
    return result;
}

void showMissingPattern(const char* operation) {
    SString text("Fehler: SRegExp::");
    text.append(operation);
    text.append("() wurde ohne regul\xE4ren Ausdruck aufgerufen und es lag keiner vor.");
    globalError().showError(text);
}

}  // namespace

SRegExp::SRegExp()
    : compiled(nullptr), matchData(pcre2_match_data_create(PAIR_ROOM, nullptr)), matchCount(-1), utf8(false) {
    for (int& o : offsets)
        o = -1;
}

SRegExp::~SRegExp() {
    release();
    pcre2_match_data_free(static_cast<pcre2_match_data*>(matchData));
}

void SRegExp::release() {
    pcre2_code_free(static_cast<pcre2_code*>(compiled));
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
    const Options options = optionsFromModifiers(modifiers);
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    // \K may stand in a look-ahead, as patterns written for the earlier engine series expect.
    auto compileWith = [&](uint32_t extra) {
        if (context != nullptr)
            pcre2_set_compile_extra_options(context, extra | PCRE2_EXTRA_ALLOW_LOOKAROUND_BSK);
        // The pattern ends at its first zero byte, as it always has.
        return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.getChars()), PCRE2_ZERO_TERMINATED,
                             options.compile, &error, &errorOffset, context);
    };
    compiled = compileWith(0);
    // Only an unknown letter escape is taken as the letter: other malformed escapes stay errors.
    if (compiled == nullptr && error == PCRE2_ERROR_UNKNOWN_ESCAPE && options.unknownEscapeIsLetter)
        compiled = compileWith(PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);
    pcre2_compile_context_free(context);
    if (compiled == nullptr) {
        PCRE2_UCHAR message[256] = {0};
        pcre2_get_error_message(error, message, sizeof message);
        SString text("Fehlerhafte Syntax im regul\xE4ren Ausdruck:\r\n");
        text.append(pattern, -1);
        text.append("\r\n Modifier: ");
        text.append(modifiers, -1);
        text.append("\r\n an Offset: ");
        text.append(SString::fromInt(int(errorOffset)), -1);
        text.append("\r\nFehler: ");
        text.append(SString(reinterpret_cast<const char*>(message)), -1);
        globalError().showError(text);
        return false;
    }
    utf8 = (options.compile & PCRE2_UTF) != 0;
    return true;
}

bool SRegExp::search(const SString& text, int start, unsigned options, const char* operation) {
    if (compiled == nullptr) {
        showMissingPattern(operation);
        matchCount = -1;
        return false;
    }
    pcre2_match_data* data = static_cast<pcre2_match_data*>(matchData);
    // A negative start offset becomes one far behind the end, which the engine refuses.
    matchCount =
        pcre2_match(static_cast<pcre2_code*>(compiled), reinterpret_cast<PCRE2_SPTR>(text.getChars()),
                    PCRE2_SIZE(text.getLength()), PCRE2_SIZE(start), options, data, nullptr);
    if (matchCount == PCRE2_ERROR_NOMATCH) return false;
    if (matchCount < 0) {
        matchCount = classicMatchError(matchCount);
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
    const PCRE2_SIZE* pairs = pcre2_get_ovector_pointer(data);
    for (int i = 0; i < 2 * matchCount; ++i)
        offsets[i] = pairs[i] == PCRE2_UNSET ? -1 : int(pairs[i]);
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
    unsigned options = utf8 ? 0 : PCRE2_NO_UTF_CHECK;
    if (!search(subject, 0, options, "findAll")) return 0;
    options = PCRE2_NO_UTF_CHECK;
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
            options |= PCRE2_NOTEMPTY | PCRE2_ANCHORED;
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
    // In UTF-8 mode the subject is checked from the start offset on, which must not fall inside a
    // character.
    if (!search(subject, start, utf8 ? 0 : PCRE2_NO_UTF_CHECK, "findOne")) return -1;
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
    unsigned options = 0;
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
            options |= PCRE2_NOTEMPTY | PCRE2_ANCHORED;
            notEmpty = true;
        }
        pos += e;
        options |= PCRE2_NO_UTF_CHECK;
    }
    result.append(subject.mid(pos), -1);
    return result;
}
