// The terminal page: construction, shut-down, page element access and the shared port rule.
#include "DieSeite.h"

#include "SDebug.h"
#include "STimer.h"

DieSeite::DieSeite() : minFirmwareVersion(25), tickBusy(0), timerStarted(0), portUsers(0) {}

DieSeite::~DieSeite() {
    // Closing dispatches events; neither a tick nor a page command may open the port meanwhile.
    globalTimer().removeTimers(this);
    PortUse closing(*this);
    close(0);
}

void DieSeite::onHtmlShown() {
    onPageComplete();
}

SString DieSeite::errorHtml(const SString& text) {
    SString html("<font class='msgError'>");
    html.append(text, text.getLength());
    html.append("</font>");
    return html;
}

void DieSeite::traceWith(const char* head, const SString& data) {
    SString line(head);
    globalDebug().trace(line.append(data));
}

SString DieSeite::successHtml(const SString& text) {
    SString html("<font class='msgOK'><b>");
    html.append(text, text.getLength());
    html.append("</font>");
    return html;
}

void DieSeite::showBusy(const SString& statusId, const SString& command) {
    SString text(
        "\xB3\xB3"
        "busy\xB3\xB3"
        "Der Zyntra ist noch mit dem letzten Befehl besch\xE4"
        "ftigt.");
    setElementHtml(statusId, errorHtml(text));
    SString line("DieSeite::onBeforeNavigate2(..) besetzt, abgewiesen: ");
    line.append(command, command.getLength());
    globalDebug().trace(line);
}

// ---- page elements ------------------------------------------------------------------------------

SString DieSeite::getElementValue(const SString& id) {
    SString value;
    SHtmlElement element;
    if (!element.attachById(getDocument(), id)) return value;
    SHtmlInputElement input;
    if (input.attach(element.getPointer())) {
        input.getValue(value);
        return value;
    }
    SHtmlSelectElement select;
    if (select.attach(element.getPointer())) select.getValue(value);
    return value;
}

int DieSeite::setElementValue(const SString& id, const SString& value) {
    SHtmlElement element;
    if (!element.attachById(getDocument(), id)) return 0;
    SHtmlInputElement input;
    if (input.attach(element.getPointer())) return input.setValue(value);
    SHtmlSelectElement select;
    if (select.attach(element.getPointer())) return select.setValue(value);
    return 0;
}

SString DieSeite::getElementText(const SString& id) {
    SString text;
    SHtmlElement element;
    if (element.attachById(getDocument(), id)) element.getInnerText(text);
    return text;
}

int DieSeite::setElementText(const SString& id, const SString& text) {
    SHtmlElement element;
    if (!element.attachById(getDocument(), id)) return 0;
    return element.setInnerText(text);
}

int DieSeite::setElementHtml(const SString& id, const SString& html) {
    SHtmlElement element;
    if (!element.attachById(getDocument(), id)) return 0;
    return element.setInnerHTML(html);
}

int DieSeite::isElementChecked(const SString& id) {
    SHtmlInputElement input;
    int checked = 0;
    if (input.attachById(getDocument(), id)) input.getStatus(checked);
    return checked != 0 ? 1 : 0;
}

SString DieSeite::getElementDisplay(const SString& id) {
    SString display;
    SHtmlElement element;
    if (!element.attachById(getDocument(), id)) return display;
    IHTMLStyle* found = nullptr;
    element.getStyle(&found);
    SHtmlStyle style;
    style.take(found);
    style.getDisplay(display);
    return display;
}
