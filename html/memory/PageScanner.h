#pragma once

#include <string>
#include <vector>

// A tolerant scanner of page text for the in-memory page: finds the elements, their attributes,
// their inner HTML and the options of select lists. It never fails: unclosed elements end where
// the text ends, stray end tags are skipped, comments, <!DOCTYPE ...> and the contents of
// script, style, textarea and title elements are not searched for tags. Texts are Windows-1252.
namespace pagescanner {

struct Option {
    std::string value;  // the value attribute, or the option's text
    std::string text;
    bool selected = false;
};

struct Element {
    std::string tag;                                              // lower case
    std::vector<std::pair<std::string, std::string>> attributes;  // names lower case, values decoded
    size_t innerStart = 0;  // the inner HTML is text[innerStart, innerEnd)
    size_t innerEnd = 0;
    int parent = -1;              // index of the enclosing element, -1 at the top
    std::vector<Option> options;  // for select elements

    bool has(const std::string& name) const;
    std::string get(const std::string& name) const;  // "" when absent
};

struct Result {
    std::vector<Element> elements;     // in document order
    std::vector<Option> looseOptions;  // options outside any select (for a select's inner HTML)
};

Result scan(const std::string& text);

bool isVoidTag(const std::string& tag);
// The display property of a style attribute ("display:none; color:red" -> "none").
std::string displayOf(const std::string& style);
// Inner text of an inner HTML: tags removed (<br> gives a line break), character references
// decoded; characters without a Windows-1252 form become '?'.
std::string textOf(const std::string& html);
std::string decodeEntities(const std::string& text);
// Text as HTML: &, <, > and the double quote as character references.
std::string escapeText(const std::string& text);

}  // namespace pagescanner
