#include "PageTemplate.h"

#include "Dialogs.h"
#include "FileSystemSeam.h"
#include "RawText.h"
#include "SDebug.h"
#include "SError.h"
#include "SFile.h"
#include "SFileIni.h"
#include "SResources.h"
#include "SStringList.h"

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

std::string_view view(const SString& s) {
    return std::string_view(s.getChars(), size_t(s.getLength()));
}

// Exact comparison over the whole length (a NUL byte inside does not end the text).
bool equals(const SString& s, const char* text) {
    return view(s) == std::string_view(text);
}

bool contains(const SString& text, const SString& what) {
    return !what.isEmpty() && view(text).find(view(what)) != std::string_view::npos;
}

// Replaces every occurrence of what by with, left to right; the inserted text is not searched
// again. False, and text unchanged, when the result would be longer than limit.
bool replaceAll(SString& text, const SString& what, const SString& with, long long limit) {
    const std::string_view subject = view(text);
    const std::string_view needle = view(what);
    if (needle.empty()) return true;
    long long count = 0;
    for (size_t pos = subject.find(needle); pos != std::string_view::npos;
         pos = subject.find(needle, pos + needle.size()))
        ++count;
    if (count == 0) return true;
    const long long newLength =
        (long long)subject.size() + count * ((long long)with.getLength() - (long long)needle.size());
    if (newLength > limit) return false;
    std::string result;
    result.reserve(size_t(newLength));
    size_t from = 0;
    for (size_t pos = subject.find(needle); pos != std::string_view::npos; pos = subject.find(needle, from)) {
        result.append(subject.data() + from, pos - from);
        result.append(with.getChars(), size_t(with.getLength()));
        from = pos + needle.size();
    }
    result.append(subject.data() + from, subject.size() - from);
    text = rawText(result.data(), int(result.size()));
    return true;
}

// For the small fixed replacements inside one insertion: the bound only guards the text's length.
void replaceAll(SString& text, const char* what, const char* with) {
    replaceAll(text, SString(what), SString(with), 4LL * PageTemplate::maxTextLength);
}

// Splits text at the first ':': head before it, text keeps what follows ("" when there is none).
SString takeUpToColon(SString& text) {
    const int colon = text.findChar(':');
    if (colon < 0) {
        SString head(text);
        text = "";
        return head;
    }
    SString head = text.left(colon);
    text = text.mid(colon + 1);
    return head;
}

// The whole text of a plain resource file; false with the reason when it cannot be read. Files
// beyond the page size limit are refused rather than read into memory.
bool readResource(const SString& path, SString& text, SString& error) {
    text = "";
    long long size = 0;
    if (!fsPlainFileInfo(path, size, error)) return false;
    if (size > PageTemplate::maxTextLength) {
        error = SString("Die Datei ist zu gro\xDF (") + SString::fromInt(int(size / 1024), false) + " KB).";
        return false;
    }
    if (size == 0) return true;
    SFile file;
    if (!file.open(path, "rb", true)) {
        error = file.getErrorText();
        return false;
    }
    // At most the size seen above: a file that grows meanwhile cannot outgrow the limit.
    text = file.read(int(size));
    error = file.getErrorText();
    return true;
}

const char* const kStyleOpen = "<style type='text/css'>\r\n";
const char* const kStyleClose = "\r\n</style>";
const char* const kScriptOpen = "<script>\r\n";
const char* const kScriptClose = "\r\n</script>";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

namespace {

// Byte offsets of one directive: [start, end) the whole tag; the parts as [from, to) pairs.
struct Span {
    size_t start = 0, end = 0;
    size_t commandFrom = 0, commandTo = 0;
    size_t argumentFrom = 0, argumentTo = 0;
    size_t typeFrom = 0, typeTo = 0;
};

// The same search as directivePattern() with the regular expression engine, from one position
// on, but without collecting every match into a list: a grown page may repeat one tag a million
// times, and the expansion needs each distinct tag only once.
bool scanDirective(std::string_view subject, size_t from, Span& span) {
    const std::string_view open = "<!!vyx_";
    for (size_t p = subject.find(open, from); p != std::string_view::npos; p = subject.find(open, p + 1)) {
        const size_t equals = subject.find('=', p + open.size());
        if (equals == std::string_view::npos) return false;  // no later start has one either
        if (equals + 1 >= subject.size() || subject[equals + 1] != '"') continue;
        const size_t quote = subject.find('"', equals + 2);
        if (quote == std::string_view::npos) continue;
        size_t tail = quote + 1;
        while (tail < subject.size() && isBlank(subject[tail]))
            ++tail;
        span.typeFrom = span.typeTo = 0;
        if (subject.substr(tail, 6) == "type=\"") {
            const size_t typeQuote = subject.find('"', tail + 6);
            if (typeQuote != std::string_view::npos &&
                subject.find('>', typeQuote + 1) != std::string_view::npos) {
                span.typeFrom = tail + 6;
                span.typeTo = typeQuote;
                tail = typeQuote + 1;
            }
        }
        const size_t close = subject.find('>', tail);
        if (close == std::string_view::npos) continue;
        span.start = p;
        span.end = close + 1;
        span.commandFrom = p + open.size();
        span.commandTo = equals;
        span.argumentFrom = equals + 2;
        span.argumentTo = quote;
        return true;
    }
    return false;
}

SString piece(std::string_view subject, size_t from, size_t to) {
    return rawText(subject.data() + from, int(to - from));
}

void fill(std::string_view subject, const Span& span, PageTemplate::Directive& found) {
    found.start = int(span.start);
    found.end = int(span.end);
    found.tag = piece(subject, span.start, span.end);
    found.command = piece(subject, span.commandFrom, span.commandTo);
    found.argument = piece(subject, span.argumentFrom, span.argumentTo);
    found.type = piece(subject, span.typeFrom, span.typeTo);
}

}  // namespace

bool PageTemplate::findDirective(const SString& text, int from, Directive& found) {
    Span span;
    if (!scanDirective(view(text), size_t(from < 0 ? 0 : from), span)) return false;
    fill(view(text), span, found);
    return true;
}

PageTemplate::PageTemplate(SResources& resources) : resources(resources) {}

PageTemplate::~PageTemplate() = default;

const char* PageTemplate::directivePattern() {
    return "/<!!vyx_([^=]*)=\"([^\"]*)\"\\s*(?:type=\"([^\"]*)\")?()[^>]*>/";
}

SString PageTemplate::contextMenuScript() {
    SString script;
    script.append("\t<head>\r\n");
    script.append("\t<script language='javascript'>\r\n");
    script.append("\t///////// Deaktivierung rechte Maustaste //////////////////////\r\n");
    script.append(
        "\t// Internet Explorer: funktioniert auf Links, Seitenoberfl\xE4"
        "chen\r\n");
    script.append("\tfunction click(e)\r\n");
    script.append("\t{\r\n");
    script.append("\t\tif(document.all)\r\n");
    script.append("\t\t{\r\n");
    script.append("\t\t\tif (event.button == 2)\r\n");
    script.append("\t\t\t{\r\n");
    script.append("\t\t\t\treturn false;\r\n");
    script.append("\t\t\t}\r\n");
    script.append("\t\t}\r\n");
    script.append("\t}\r\n");
    script.append("\tfunction click2()\r\n");
    script.append("\t{\r\n");
    script.append("\t\treturn false;\r\n");
    script.append("\t}\r\n");
    script.append("\tdocument.onmousedown=click;\r\n");
    script.append("\tdocument.oncontextmenu=click2;\r\n");
    script.append("\t</script>\r\n");
    return script;
}

int PageTemplate::setParameters(const SString& parameterText) {
    parameters.clear();
    parameters.parse(parameterText, ";", "=");
    return parameters.getCount();
}

SString PageTemplate::substituted(const SString& text) const {
    SString result(text);
    for (int i = 0; i < parameters.getCount(); ++i) {
        const SString placeholder = SString("%") + parameters.keyAt(i) + "%";
        if (!replaceAll(result, placeholder, parameters.valueAt(i), maxTextLength))
            globalDebug().trace(SString("PageTemplate::substituted(..) ") + placeholder +
                                " nicht ersetzt: der Text w\xFCrde zu lang");
    }
    return result;
}

void PageTemplate::showInfo(const SString& text) {
    globalError().showError(text, 0, "Info", MB_OK | MB_ICONINFORMATION);
}

SString PageTemplate::expand(const SString& html, const SString& parameterText, bool blockContextMenu) {
    setParameters(parameterText);
    SString work(html);
    if (blockContextMenu) replaceAll(work, SString("<head>"), contextMenuScript(), maxTextLength);

    for (int pass = 0;; ++pass) {
        // The distinct directives of this pass, in order of appearance.
        std::vector<Directive> directives;
        {
            const std::string_view subject = view(work);  // work stays unchanged while scanning
            std::unordered_set<std::string_view> seen;
            Span span;
            for (size_t from = 0; scanDirective(subject, from, span); from = span.end) {
                if (!seen.insert(subject.substr(span.start, span.end - span.start)).second) continue;
                directives.emplace_back();
                fill(subject, span, directives.back());
            }
        }
        if (directives.empty()) break;
        if (pass >= maxPasses) {
            const SString& tag = directives[0].tag;
            globalDebug().trace(SString("PageTemplate::expand(..) Abbruch nach ") +
                                SString::fromInt(maxPasses, false) + " Durchl\xE4ufen: " + tag);
            showInfo(SString("Fehler: Die Direktive ") + tag + " ist nach " +
                     SString::fromInt(maxPasses, false) +
                     " Durchl\xE4ufen noch vorhanden und wird nicht weiter ersetzt.");
            break;
        }
        bool tooLong = false;
        for (const Directive& directive : directives) {
            // Swallowed by an earlier insertion of this pass: nothing left to replace.
            if (!contains(work, directive.tag)) continue;
            const SString insertion = buildInsertion(directive.command, directive.argument, directive.type);
            if (!replaceAll(work, directive.tag, insertion, maxTextLength)) {
                showInfo(SString("Fehler: Die Seite w\xFCrde beim Ersetzen der Direktive ") + directive.tag +
                         " gr\xF6\xDF"
                         "er als " +
                         SString::fromInt(maxTextLength / (1024 * 1024), false) +
                         " MB; sie wird nicht weiter ersetzt.");
                tooLong = true;
                break;
            }
        }
        if (tooLong) break;
    }
    return substituted(work);
}

SString PageTemplate::buildInsertion(const SString& command, const SString& argument, const SString& type) {
    const bool css = equals(type, "css");
    const bool js = equals(type, "js");
    SString insertion("\r\n");
    if (css) insertion.append(kStyleOpen);
    if (js) insertion.append(kScriptOpen);

    if (equals(command, "loadFromResFile")) {
        appendResourceFile(insertion, argument);
    } else if (equals(command, "loadFromResIni")) {
        insertion.append(iniSectionsText(argument));
    } else if (equals(command, "loadFromResIni_Quoted")) {
        insertion.append(iniSectionsText(argument));
        // Made fit for a JavaScript string in single or double quotes.
        replaceAll(insertion, "\\", "\\\\");
        replaceAll(insertion, "'", "\\'");
        replaceAll(insertion, "\"", "\\\"");
        replaceAll(insertion, "\t", "\xB0");
        replaceAll(insertion, "\r", "");
        replaceAll(insertion, "\n", "\\n");
        insertion.trim();
    } else if (equals(command, "loadFromResIni_Entry")) {
        appendIniEntry(insertion, argument);
    }

    if (css) insertion.append(kStyleClose);
    if (js) insertion.append(kScriptClose);
    return insertion;
}

void PageTemplate::appendResourceFile(SString& insertion, const SString& argument) {
    const SString path = resources.getFile(substituted(argument));
    SString text;
    SString error;
    readResource(path, text, error);
    if (text.isEmpty()) {
        showInfo(SString("Fehler: Datei ") + argument + " ist leer oder nicht vorhanden.\r\n" + error);
        return;
    }
    insertion.append(text);
}

bool PageTemplate::loadIni(const SString& resourceName, SFileIni& ini) {
    const SString path = resources.getFile(substituted(resourceName));
    long long size = 0;
    SString error;
    // An empty file has no sections; pseudo-files that report no size are not read at all.
    if (!fsPlainFileInfo(path, size, error) || size == 0 || size > maxTextLength) return false;
    return ini.open(path, false);
}

SString PageTemplate::iniSectionsText(const SString& argument) {
    SString rest(argument);
    const SString name = takeUpToColon(rest);
    SString pattern(rest);
    if (pattern.isEmpty()) pattern = "*";
    replaceAll(pattern, ":", "|");

    SFileIni ini;
    SString text;
    if (!loadIni(name, ini)) return text;
    SStringList names;
    SStringList bodies;
    ini.getSectionNames(pattern, names, &bodies);
    for (int i = 0; i < bodies.getCount(); ++i) {
        if (i > 0) text.append("\r\n");
        text.append(bodies[i]);
    }
    return text;
}

void PageTemplate::appendIniEntry(SString& insertion, const SString& argument) {
    // resource name ":" section ":" key; missing parts are empty, anything after the key is ignored.
    SString rest(argument);
    const SString name = takeUpToColon(rest);
    const SString section = substituted(takeUpToColon(rest));
    const SString key = takeUpToColon(rest);

    SFileIni ini;
    loadIni(name, ini);
    SString value = ini.readString(
        section, key, SString("Fehler: Eintrag ") + key + " in Sektion " + section + " nicht gefunden.");
    value.trim();
    insertion.append(value);
    insertion.trim();
}
