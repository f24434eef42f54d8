// SRegExp with the patterns the application matches device answers and page input with, on
// arbitrary subjects: findAll, findOne with getResults, and replace.
#include "SRegExp.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>

namespace {

const char* const PATTERNS[] = {
    // byte values in answers
    "/([0-9a-f]{2})!/i",
    "/(?:[0-9a-f]{6})([0-9a-f]{2})!/i",
    "/([0-9a-f][0-9a-f])([0-9a-f][0-9a-f])!/i",
    // clock read
    "/([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])!/",
    // firmware version
    "/.*V(\\d+\\.\\d)/",
    // status line closing a command answer (delimiter: section sign)
    "\xA7(.*<br>|^)\\{([0-9A-F]{2})\\}(([ \\S]+ERROR)|(OK))$\xA7",
    // numbers in a send list
    "/(0b[01]+)|(0x[0-9a-f]+)|(#[0-9a-f]{6})|([0-9]+)/i",
    // page template directives
    "/<!!vyx_([^=]*)=\"([^\"]*)\"\\s*(?:type=\"([^\"]*)\")?.*?>/",
    "/<!!vyx_([^=]*)=\"([^\"]*)\"\\s*(?:type=\"([^\"]*)\")?.*?>/is",
};
const int PATTERN_COUNT = int(sizeof PATTERNS / sizeof PATTERNS[0]);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    if (size < 2) return 0;
    const char* pattern = PATTERNS[data[0] % PATTERN_COUNT];
    const SString subject(reinterpret_cast<const char*>(data) + 2, int(size) - 2);
    const int length = subject.getLength();

    SRegExp re;
    SStringList all;
    const int matches = re.findAll(subject, pattern, all);
    if (matches < 0 || (matches == 0) != (all.getCount() == 0)) __builtin_trap();

    // Starts from 0 to just past the end (the engine refuses that one with an error).
    const int start = data[1] % (length + 2);
    const int at = re.findOne(subject, pattern, start);
    SStringList groups;
    const int texts = re.getResults(groups);
    if (at >= 0 ? (at < start || at > length || texts < 1) : texts != 0) __builtin_trap();
    if (re.findOne(subject, pattern, 0) >= 0 && matches == 0) __builtin_trap();

    // The object works on a copy of the subject, taken as it is.
    const SString copy(subject);
    const SString replaced = re.replace(subject, pattern, "<>");
    if (matches == 0 && replaced != copy) __builtin_trap();
    return 0;
}
