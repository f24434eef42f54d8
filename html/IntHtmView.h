#pragma once

#include "SIEControl.h"

#include <functional>

// The HTML view: shows a page text (or an HTML file) in the browser host. The page text is
// expanded (template directives, parameters) and written into the blank document.
class IntHtmView : public SIEControl {
public:
    IntHtmView();
    ~IntHtmView() override = default;
    const char* getClassName() const override { return "IntHtmView"; }

    // Shows the file at path: its text goes to showHtml with the parameters followed by
    // "respfad=" and the file URL of the file's folder. A missing file shows
    // "Die Datei <path> existiert nicht." and nothing else happens.
    virtual void loadFile(const SString& path, const SString& parameters);
    // Called when a page has been written into the document; the page class starts here.
    virtual void onHtmlShown() {}
    // Expands html with the parameters ("key=value;key=value"), tells the page engine the page's
    // base address (the "respfad" parameter), writes the page into the document (clear, write,
    // close) and calls onHtmlShown.
    virtual void showHtml(const SString& html, const SString& parameters);

    // The value of "respfad" in a parameter text ("" when there is none): the page's resource
    // folder, handed to the page engine as the written page's base address.
    static SString resourcePathOf(const SString& parameters);

    // The parameter text loadFile hands to showHtml for a file at path.
    static SString withResourcePath(const SString& path, const SString& parameters);

    // Inject the script that blocks the page's context menu when expanding.
    int blockContextMenu = 1;

    // Template expansion of a page text with its parameters (PageTemplate over globalResources(),
    // set by the constructor). Empty: the text is written as it is.
    std::function<SString(IntHtmView& view, const SString& html, const SString& parameters)> expandPage;
};
