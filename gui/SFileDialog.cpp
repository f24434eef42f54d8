#include "SFileDialog.h"

#include "FileSystemSeam.h"
#include "SStringList.h"

#include <cstdio>

namespace {
bool isExistingFile(const SString& path) {
    if (path.isEmpty() || fsIsFolder(path)) return false;
    FILE* f = fsOpenStream(path, "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}
}  // namespace

std::vector<FileDialogRequest::Filter> SFileDialog::parseFilter(const SString& filterText) {
    std::vector<FileDialogRequest::Filter> filters;
    SStringList parts;
    if (filterText.isEmpty()) return filters;
    parts.split(filterText, "|");
    for (int i = 0; i + 1 < parts.getCount(); i += 2) {
        if (parts[i + 1].isEmpty()) continue;
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}

SString SFileDialog::withDefaultExtension(const SString& path, const SString& extension) {
    if (extension.isEmpty() || path.isEmpty()) return path;
    int nameStart = 0;
    for (int i = path.getLength() - 1; i >= 0; --i) {
        if (fsIsSeparator(char(path.getCharAt(i)))) {
            nameStart = i + 1;
            break;
        }
    }
    // A dot after the first character of the name starts an extension ("x.txt"; ".profile" has none).
    int dot = path.findLastChar('.');
    if (dot > nameStart && dot < path.getLength() - 1) return path;
    SString result(path);
    if (dot != path.getLength() - 1) result.append('.');
    result.append(extension);
    return result;
}

FileDialogRequest SFileDialog::request(bool save) const {
    FileDialogRequest r;
    r.save = save;
    r.title = title;
    r.proposedFile = file;
    r.filters = parseFilter(filter);
    r.defaultExtension = defaultExtension;
    return r;
}

bool SFileDialog::showOpen() {
    path = SString();
    FileDialogRequest r = request(false);
    SString chosen;
    while (dialogs().fileDialog(r, chosen)) {
        if (isExistingFile(chosen)) {
            path = chosen;
            return true;
        }
        dialogs().messageBox(chosen +
                                 "\r\nDie Datei wurde nicht gefunden.\r\n\xDC"
                                 "berpr\xFC"
                                 "fen Sie den Dateinamen, und wiederholen Sie den Vorgang.",
                             title, MB_OK | MB_ICONWARNING);
        r.proposedFile = chosen;
    }
    return false;
}

bool SFileDialog::showSave() {
    path = SString();
    FileDialogRequest r = request(true);
    SString chosen;
    while (dialogs().fileDialog(r, chosen)) {
        SString target = withDefaultExtension(chosen, defaultExtension);
        if (!fsIsFolder(target)) {
            if (!isExistingFile(target)) {
                path = target;
                return true;
            }
            int answer = dialogs().messageBox(target +
                                                  " ist bereits vorhanden.\r\nM\xF6"
                                                  "chten Sie die Datei ersetzen?",
                                              title, MB_YESNO | MB_ICONWARNING);
            if (answer == IDYES) {
                path = target;
                return true;
            }
        }
        r.proposedFile = target;
    }
    return false;
}
