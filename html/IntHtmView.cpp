#include "IntHtmView.h"

#include "PageTemplate.h"
#include "SError.h"
#include "SMapStringToString.h"
#include "SResources.h"

#include <cstdio>
#include <string>

namespace {
// Reads the whole file; false when it cannot be opened.
bool readFile(const SString& path, SString& text) {
    std::FILE* file = std::fopen(path.getChars(), "rb");
    if (file == nullptr) return false;
    std::string bytes;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    text.setRaw(bytes.data(), int(bytes.size()));
    return true;
}
}  // namespace

IntHtmView::IntHtmView() {
    expandPage = [](IntHtmView& view, const SString& html, const SString& parameters) {
        PageTemplate expansion(globalResources());
        return expansion.expand(html, parameters, view.blockContextMenu != 0);
    };
}

SString IntHtmView::withResourcePath(const SString& path, const SString& parameters) {
    SString folder(path);
    const int slash = folder.findLastChar('/');
    const int backslash = folder.findLastChar('\\');
    const int end = slash > backslash ? slash : backslash;
    folder = end >= 0 ? folder.left(end) : SString();
    folder.append("\\");
    folder.replace("\\", "/");
    // An absolute POSIX folder already starts with the URL's path separator.
    const char* prefix = folder.startsWith("/") ? "file://localhost" : "file://localhost/";

    SString result(parameters);
    if (!result.isEmpty()) result.append(";");
    result.append("respfad=");
    result.append(prefix);
    result.append(folder);
    return result;
}

void IntHtmView::loadFile(const SString& path, const SString& parameters) {
    SString html;
    if (!readFile(path, html)) {
        globalError().showError(SString("Die Datei ") + path + " existiert nicht.", 0, "Info",
                                MB_OK | MB_ICONINFORMATION);
        return;
    }
    showHtml(html, withResourcePath(path, parameters));
}

SString IntHtmView::resourcePathOf(const SString& parameters) {
    SMapStringToString values;
    values.parse(parameters, ";", "=");
    SString path;
    values.lookup("respfad", path);
    return path;
}

void IntHtmView::showHtml(const SString& html, const SString& parameters) {
    SString page = expandPage ? expandPage(*this, html, parameters) : html;
    // Links and resources the page names relative to its folder resolve against that folder.
    pageEngine().setDocumentBase(resourcePathOf(parameters));
    SHtmlDocument2& doc = getDocument();
    doc.clear();
    doc.write(page);
    doc.close();
    onHtmlShown();
}
