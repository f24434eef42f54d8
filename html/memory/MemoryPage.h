#pragma once

// The in-memory page: the page object model without a browser, for tests and headless runs.
//
// Implements:
//  [x] the page engine (installed while the page lives): a settable version text, one browser
//  [x] browser: Navigate2 (logged with its flags; the connected sinks get BeforeNavigate2 through
//      Invoke with the seven arguments the browser passes; "about:blank" not cancelled gives an
//      empty document), get_Document, GoBack/GoForward/GoHome/GoSearch/Refresh/Stop (logged),
//      SetHostNames, DoVerb, Close (logged), GetWindow (a made-up handle), TranslateAccelerator
//      (logs the message, consumes the keys a test lists), the browser events connection point
//  [x] document: write (logged; the page text is scanned for elements), clear, close, all,
//      parentWindow, the document events connection point
//  [x] elements with an id or name attribute: inner HTML (setting it rescans it for elements),
//      inner text, tag name, inline display style; input: value, type, checked state; select:
//      options, selected index, value
//  [x] all: item by id or name (the index-th of several) or by position, length
//  [x] window: execScript (logged; a test may fail it or answer it), focus (counted)
//  [x] events as the browser sends them: navigations, document complete, document events
//  [x] reference counts of every object, so tests can see leaked or surplus releases
// Does not implement:
//  [ ] running scripts (they are only logged, or handed to scriptHandler)
//  [ ] elements without id or name, layout, computed styles, style properties other than display
//  [ ] a parent's inner HTML does not follow changes made inside it through a child element
//  [ ] loading URLs other than "about:blank" (they are only logged), frames, history
//  [ ] type information, GetIDsOfNames and Invoke on page objects (DISP_E_MEMBERNOTFOUND)
//
// Objects are owned by the page and live until it is destroyed, so declare the page before any
// host that uses it.

#include "PageModel.h"
#include "SString.h"

#include <functional>
#include <memory>
#include <vector>

class MemoryObject;
class MemoryBrowser;
class MemoryDocument;
class MemoryElement;

class MemoryPage : public PageEngine {
public:
    MemoryPage();
    MemoryPage(const MemoryPage&) = delete;
    MemoryPage& operator=(const MemoryPage&) = delete;
    ~MemoryPage() override;
    const char* getClassName() const override { return "MemoryPage"; }

    // ---- the engine ----
    SString getVersion() override { return version; }
    HRESULT createBrowser(IOleObject** browser) override;
    void setDocumentBase(const SString& url) override { documentBase = url; }
    SString version;             // "6.0.2900.2180" unless a test sets another
    bool refuseBrowser = false;  // createBrowser fails

    // ---- behaviour a test can choose ----
    bool documentAvailable = true;     // get_Document gives the document (after about:blank)
    bool documentHasContent = true;    // a written document offers its element collection
    bool failScripts = false;          // execScript fails with E_FAIL
    bool offerInPlaceObject = true;    // the browser answers IOleInPlaceActiveObject
    std::vector<WPARAM> consumedKeys;  // TranslateAccelerator consumes key messages with these
    // Called for every script run (after it is logged); its result is execScript's.
    std::function<HRESULT(MemoryPage& page, const SString& code, const SString& language)> scriptHandler;

    // ---- what happened ----
    struct Script {
        SString code;
        SString language;
    };
    std::vector<Script> scripts;       // every execScript
    std::vector<SString> writes;       // every text written into the document
    std::vector<SString> navigations;  // every Navigate2 of the browser, and the flags given
    std::vector<int> navigationFlags;
    std::vector<SString> followed;  // navigations no sink cancelled
    std::vector<MSG> offeredKeys;   // every message offered to TranslateAccelerator
    std::vector<SString> calls;     // other calls, by name: "SetHostNames(title)", "DoVerb(-1)",
                                    // "Close(1)", "clear", "close", "GoBack", ...
    int focusCount = 0;
    SString documentBase;  // the last base address the host gave

    // ---- the page as a user sees it (by id; "" or false or -1 when there is no such element) ----
    bool hasElement(const SString& id) const;
    int getElementCount() const;
    SString getTagName(const SString& id) const;
    SString getInnerHTML(const SString& id) const;
    SString getInnerText(const SString& id) const;
    SString getValue(const SString& id) const;  // input value, or the selected option's value
    bool isChecked(const SString& id) const;
    SString getDisplay(const SString& id) const;
    int getSelectedIndex(const SString& id) const;
    SString getPageText() const;  // the document's text as written since it was last opened
    // What a user does: type into a field, tick a box, pick an option.
    bool setValue(const SString& id, const SString& value);
    bool setChecked(const SString& id, bool checked);

    // ---- events as the browser sends them ----
    // The page navigates (a link was followed): BeforeNavigate2 to every connected browser sink;
    // true when a sink cancelled it, otherwise it is added to followed.
    bool fireNavigation(const SString& url, const SString& targetFrame = "", const SString& headers = "");
    // The document has finished loading: DocumentComplete to every connected browser sink.
    void completeDocument(const SString& url = "about:blank");
    // Calls every connected browser sink with these arguments; the last sink's result.
    HRESULT invokeBrowserSinks(DISPID dispId, DISPPARAMS& parameters);
    // A document event with an event object of this type; cancel gets the sinks' answer.
    HRESULT fireDocumentEvent(DISPID dispId, const SString& type, VARIANT_BOOL* cancel = nullptr);

    int getBrowserSinkCount() const;
    int getDocumentSinkCount() const;
    HWND getBrowserParent() const;
    static HWND getBrowserWindow();
    // References handed out by page objects and not yet released (0 when every caller let go),
    // and Release calls beyond the references held.
    long getOutstandingReferences() const;
    int getSurplusReleases() const { return surplusReleases; }

private:
    friend class MemoryObject;
    friend class MemoryBrowser;
    friend class MemoryDocument;
    const MemoryElement* find(const SString& id) const;

    std::vector<MemoryObject*> objects;  // every live page object, for the reference count
    int surplusReleases = 0;
    std::unique_ptr<MemoryBrowser> browser;
    PageEngine* previousEngine = nullptr;
};
