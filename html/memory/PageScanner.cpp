#include "PageScanner.h"

#include "CodePage.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace pagescanner {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower((unsigned char)c));
    return s;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isNameChar(char c) {
    return std::isalnum((unsigned char)c) || c == '-' || c == '_' || c == ':';
}

// Position of needle in text at or after from, ignoring case; npos when absent.
size_t findNoCase(const std::string& text, const std::string& needle, size_t from) {
    if (needle.empty()) return from;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() &&
               std::tolower((unsigned char)text[i + k]) == std::tolower((unsigned char)needle[k]))
            ++k;
        if (k == needle.size()) return i;
    }
    return std::string::npos;
}

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && isSpace(s[a]))
        ++a;
    while (b > a && isSpace(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

struct Entity {
    const char* name;
    char16_t code;
};

const Entity entities[] = {
    {"lt", u'<'},     {"gt", u'>'},   {"amp", u'&'},   {"quot", u'"'},    {"apos", u'\''},
    {"nbsp", 0xA0},   {"auml", 0xE4}, {"ouml", 0xF6},  {"uuml", 0xFC},    {"Auml", 0xC4},
    {"Ouml", 0xD6},   {"Uuml", 0xDC}, {"szlig", 0xDF}, {"prime", 0x2032}, {"deg", 0xB0},
    {"euro", 0x20AC}, {"copy", 0xA9}, {"sect", 0xA7},  {"micro", 0xB5},   {"middot", 0xB7},
};

bool isInlineTag(const std::string& tag) {
    static const char* const inlines[] = {"a",     "b",    "big",    "em",  "font", "i",
                                          "small", "span", "strong", "sub", "sup",  "u"};
    for (const char* t : inlines)
        if (tag == t) return true;
    return false;
}

bool closesParagraph(const std::string& tag) {
    static const char* const blocks[] = {"p",  "div", "table", "ul", "ol", "dl", "pre", "form",
                                         "h1", "h2",  "h3",    "h4", "h5", "h6", "hr",  "blockquote"};
    for (const char* t : blocks)
        if (tag == t) return true;
    return false;
}

}  // namespace

bool Element::has(const std::string& name) const {
    for (const auto& a : attributes)
        if (a.first == name) return true;
    return false;
}

std::string Element::get(const std::string& name) const {
    for (const auto& a : attributes)
        if (a.first == name) return a.second;
    return std::string();
}

bool isVoidTag(const std::string& tag) {
    static const char* const voids[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    for (const char* v : voids)
        if (tag == v) return true;
    return false;
}

std::string decodeEntities(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t semi = text.find(';', i + 1);
        if (semi == std::string::npos || semi - i > 10) {
            out += '&';
            continue;
        }
        std::string name = text.substr(i + 1, semi - i - 1);
        long code = -1;
        if (name.size() > 1 && name[0] == '#') {
            char* end = nullptr;
            bool hex = name[1] == 'x' || name[1] == 'X';
            const char* digits = name.c_str() + (hex ? 2 : 1);
            code = std::strtol(digits, &end, hex ? 16 : 10);
            if (end == digits || *end != 0 || code < 0 || code > 0xFFFF) code = -1;
        } else {
            for (const Entity& e : entities)
                if (name == e.name) code = e.code;
        }
        if (code < 0) {
            out += '&';
            continue;
        }
        out += codepage::fromUtf16(char16_t(code));
        i = semi;
    }
    return out;
}

std::string escapeText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string textOf(const std::string& html) {
    std::string raw;
    for (size_t i = 0; i < html.size(); ++i) {
        if (html[i] != '<') {
            raw += html[i];
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            size_t end = html.find("-->", i + 4);
            i = end == std::string::npos ? html.size() : end + 2;
            continue;
        }
        size_t close = html.find('>', i + 1);
        if (close == std::string::npos) break;
        std::string tag = lower(html.substr(i + 1, close - i - 1));
        if (tag == "br" || tag == "br/" || tag == "br /") raw += "\r\n";
        // Script and style text is not shown.
        for (const char* hidden : {"script", "style"}) {
            const size_t n = std::strlen(hidden);
            if (tag.compare(0, n, hidden) == 0 && (tag.size() == n || isSpace(tag[n]))) {
                size_t end = findNoCase(html, std::string("</") + hidden, close + 1);
                close = end == std::string::npos ? html.size() - 1 : html.find('>', end);
                if (close == std::string::npos) close = html.size() - 1;
            }
        }
        i = close;
    }
    return decodeEntities(raw);
}

std::string displayOf(const std::string& style) {
    size_t pos = 0;
    while (pos < style.size()) {
        size_t end = style.find(';', pos);
        if (end == std::string::npos) end = style.size();
        std::string item = style.substr(pos, end - pos);
        size_t colon = item.find(':');
        if (colon != std::string::npos && lower(trim(item.substr(0, colon))) == "display")
            return lower(trim(item.substr(colon + 1)));
        pos = end + 1;
    }
    return std::string();
}

Result scan(const std::string& text) {
    Result result;
    std::vector<int> open;  // indexes of the open elements, innermost last
    size_t i = 0;
    const size_t n = text.size();

    auto closeTo = [&](size_t depth, size_t at) {
        while (open.size() > depth) {
            result.elements[size_t(open.back())].innerEnd = at;
            open.pop_back();
        }
    };
    auto optionText = [&](size_t from) {
        size_t end = text.find('<', from);
        return trim(decodeEntities(text.substr(from, (end == std::string::npos ? n : end) - from)));
    };

    while (i < n) {
        size_t lt = text.find('<', i);
        if (lt == std::string::npos) break;
        i = lt + 1;
        if (text.compare(lt, 4, "<!--") == 0) {
            size_t end = text.find("-->", lt + 4);
            i = end == std::string::npos ? n : end + 3;
            continue;
        }
        if (i < n && (text[i] == '!' || text[i] == '?')) {
            size_t end = text.find('>', i);
            i = end == std::string::npos ? n : end + 1;
            continue;
        }
        if (i < n && text[i] == '/') {
            size_t start = i + 1, k = start;
            while (k < n && isNameChar(text[k]))
                ++k;
            std::string name = lower(text.substr(start, k - start));
            size_t end = text.find('>', k);
            i = end == std::string::npos ? n : end + 1;
            for (size_t d = open.size(); d > 0; --d) {
                if (result.elements[size_t(open[d - 1])].tag == name) {
                    closeTo(d - 1, lt);
                    break;
                }
            }
            continue;
        }
        size_t k = i;
        while (k < n && isNameChar(text[k]))
            ++k;
        if (k == i) continue;  // a lone "<" is text
        Element element;
        element.tag = lower(text.substr(i, k - i));
        bool selfClosing = false;
        // Attributes: name, name=value, name='value', name="value"; up to the closing ">".
        while (k < n && text[k] != '>') {
            if (isSpace(text[k])) {
                ++k;
                continue;
            }
            if (text[k] == '/') {
                selfClosing = true;
                ++k;
                continue;
            }
            size_t nameStart = k;
            while (k < n && !isSpace(text[k]) && text[k] != '=' && text[k] != '>' && text[k] != '/')
                ++k;
            std::string name = lower(text.substr(nameStart, k - nameStart));
            if (name.empty()) {
                ++k;
                continue;
            }
            selfClosing = false;
            size_t look = k;
            while (look < n && isSpace(text[look]))
                ++look;
            std::string value;
            if (look < n && text[look] == '=') {
                k = look + 1;
                while (k < n && isSpace(text[k]))
                    ++k;
                if (k < n && (text[k] == '"' || text[k] == '\'')) {
                    char quote = text[k];
                    size_t end = text.find(quote, k + 1);
                    if (end == std::string::npos) end = n;
                    value = text.substr(k + 1, end - k - 1);
                    k = end < n ? end + 1 : n;
                } else {
                    size_t start = k;
                    while (k < n && !isSpace(text[k]) && text[k] != '>')
                        ++k;
                    value = text.substr(start, k - start);
                }
            }
            element.attributes.emplace_back(name, decodeEntities(value));
        }
        i = k < n ? k + 1 : n;
        if (element.tag == "option") {
            // An option ends where the next one begins: they never nest.
            for (size_t d = open.size(); d > 0; --d)
                if (result.elements[size_t(open[d - 1])].tag == "option") {
                    closeTo(d - 1, lt);
                    break;
                }
        }
        if (closesParagraph(element.tag)) {
            // A block starts: an open paragraph ends here, as in the browser.
            for (size_t d = open.size(); d > 0; --d) {
                const std::string& t = result.elements[size_t(open[d - 1])].tag;
                if (t == "p") {
                    closeTo(d - 1, lt);
                    break;
                }
                if (!isInlineTag(t)) break;
            }
        }
        element.innerStart = i;
        element.innerEnd = i;
        element.parent = open.empty() ? -1 : open.back();

        if (element.tag == "option") {
            Option option;
            option.text = optionText(i);
            option.value = element.has("value") ? element.get("value") : option.text;
            option.selected = element.has("selected");
            int select = -1;
            for (size_t d = open.size(); d > 0; --d)
                if (result.elements[size_t(open[d - 1])].tag == "select") {
                    select = open[d - 1];
                    break;
                }
            if (select >= 0)
                result.elements[size_t(select)].options.push_back(option);
            else
                result.looseOptions.push_back(option);
        }

        const std::string tag = element.tag;
        result.elements.push_back(element);
        const int index = int(result.elements.size() - 1);
        if (isVoidTag(tag) || selfClosing) continue;

        // Raw text elements: their content holds no tags.
        if (tag == "script" || tag == "style" || tag == "textarea" || tag == "title") {
            size_t end = findNoCase(text, "</" + tag, i);
            if (end == std::string::npos) end = n;
            result.elements[size_t(index)].innerEnd = end;
            size_t gt = end < n ? text.find('>', end) : std::string::npos;
            i = gt == std::string::npos ? n : gt + 1;
            continue;
        }
        open.push_back(index);
    }
    closeTo(0, n);
    return result;
}

}  // namespace pagescanner
