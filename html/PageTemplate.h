#pragma once

#include "SMapStringToString.h"
#include "SString.h"

class SFileIni;
class SResources;

// Expansion of a page text into the document the browser shows:
//  - every "<head>" (exact case) gets the script that blocks the context menu right behind it;
//  - directive tags <!!vyx_command="argument" type="css|js"> are replaced, pass after pass, by
//    the contents of resource files or INI sections (a loaded text may hold further directives);
//  - "%key%" becomes the value of the parameter key ("key=value;key=value").
// Commands: loadFromResFile, loadFromResIni, loadFromResIni_Quoted, loadFromResIni_Entry; any
// other command inserts nothing. Resource names go through SResources::getFile.
//
// A page that includes itself would expand for ever: after maxPasses passes, or when the text
// would grow past maxTextLength, the expansion stops with an information box naming the directive
// and leaves that directive in the text.
class PageTemplate {
public:
    enum { maxPasses = 32 };
    static const int maxTextLength = 4 * 1024 * 1024;

    explicit PageTemplate(SResources& resources);
    PageTemplate(const PageTemplate&) = delete;
    PageTemplate& operator=(const PageTemplate&) = delete;
    virtual ~PageTemplate();
    virtual const char* getClassName() const { return "PageTemplate"; }

    // The expanded page text.
    SString expand(const SString& html, const SString& parameterText, bool blockContextMenu = true);

    // The text of one directive's replacement (line break, wrapper, content, wrapper), with the
    // parameters of the last expand (or setParameters).
    SString buildInsertion(const SString& command, const SString& argument, const SString& type);

    // Parses "key=value;key=value" into the parameters in order; an item without "=" ends the
    // parsing. Returns the number of parameters taken.
    int setParameters(const SString& parameterText);
    const SMapStringToString& getParameters() const { return parameters; }
    // Every "%key%" in text replaced by its value, parameter by parameter in their order.
    SString substituted(const SString& text) const;

    // The script put behind "<head>"; it begins with "\t<head>\r\n".
    static SString contextMenuScript();
    // One directive tag found in a text: its byte range and its parts (type "" when absent).
    struct Directive {
        int start = 0;
        int end = 0;
        SString tag;
        SString command;
        SString argument;
        SString type;
    };
    // The first directive starting at or after from; false when there is none. Matches exactly what
    // directivePattern() matches with SRegExp, searching on from the end of the previous match.
    static bool findDirective(const SString& text, int from, Directive& found);
    // Directives as a regular expression (SRegExp notation): each match gives the whole tag, the
    // command, the argument, the type and an always empty group that keeps the number of texts fixed.
    static const char* directivePattern();

private:
    void appendResourceFile(SString& insertion, const SString& argument);
    SString iniSectionsText(const SString& argument);
    void appendIniEntry(SString& insertion, const SString& argument);
    // Loads the resource as an INI file; false (ini left empty) when it cannot be read.
    bool loadIni(const SString& resourceName, SFileIni& ini);
    void showInfo(const SString& text);

    SResources& resources;
    SMapStringToString parameters;
};
