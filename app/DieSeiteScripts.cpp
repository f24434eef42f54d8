// Script files of the command list, and the language switch.
//
// A script file is the command list's text exactly as the page gives it (Windows-1252, line ends
// as they are, no header), read and written whole. The paths of the last loaded and the last saved
// file are remembered apart in the user configuration file, section "directories".
#include "DieSeite.h"

#include "Dialogs.h"
#include "SApplicationConfig.h"
#include "SDebug.h"
#include "SError.h"
#include "SFile.h"
#include "SFileDialog.h"
#include "SFileSystem.h"
#include "SLanguage.h"
#include "SResources.h"
#include "SSystem.h"

#include <vector>

namespace {

const char* const fileFilter =
    "\xB3\xB3"
    "dexmodeFileDlgFilter\xB3\xB3"
    "Skripte (*.txt)|*.txt|alle Dateien|*.*";

// The file the running program was started from: the new instance of a restart starts from it.
SString ownProgram() {
    SString program = SResources::getOwnProgramPath();
    if (program.isEmpty()) program.append(globalResources().programPath);
    return program;
}

}  // namespace

SString DieSeite::fileFailure(const char* what, const SString& path, const SString& errorText) {
    SString text(what);
    SString name;
    name.append(path);
    text.append(" ");
    text.append(name.htmlEncode());
    const int lineEnd = errorText.findReverse("\n");
    SString reason = errorText.mid(lineEnd + 1);
    reason.trim();
    if (!reason.isEmpty()) text.append("<br>").append(reason.htmlEncode());
    return text;
}

SFileIni& DieSeite::getUserConfig() {
    if (userConfig != nullptr) return *userConfig;
    if (!ownUserConfig.isOpen()) {
        SString program;
        program.append(globalResources().programPath);
        if (program.isEmpty()) program = ownProgram();
        SApplicationConfig::openUserConfigFile(ownUserConfig, program);
    }
    return ownUserConfig;
}

SString DieSeite::askFilePath(const char* key, const char* title, const char* filter, bool save) {
    SFileIni& config = getUserConfig();
    SFileDialog dialog;
    dialog.setTitle(title);
    dialog.setFilter(filter);
    dialog.setFile(config.readString("directories", key));
    if (save) dialog.setDefaultExtension("txt");
    if (!(save ? dialog.showSave() : dialog.showOpen())) return SString();
    const SString chosen = dialog.getPath();
    config.writeString("directories", key, chosen);
    setDexmodeInfo("", ' ');
    return chosen;
}

void DieSeite::scriptLoad() {
    const SString chosen = askFilePath("dexmodeScriptLoad",
                                       "\xB3\xB3"
                                       "dexmodeFileDlgTitelLoad\xB3\xB3"
                                       "Skript-Datei laden",
                                       fileFilter, false);
    if (chosen.isEmpty()) return;
    SString error;
    const SString content = SFile::readTextFile(chosen, &error);
    if (!error.isEmpty()) {
        // The list keeps what it holds, so nothing typed is lost to a file that cannot be read.
        setDexmodeInfo(fileFailure("\xB3\xB3"
                                   "dexmodeScriptLoadError\xB3\xB3"
                                   "Die Skript-Datei konnte nicht gelesen werden:",
                                   chosen, error),
                       'r');
        return;
    }
    setElementText("dexmode_cmdList", content);
    sendJS("tabSelect('mytabScriptTWI','Skipt ausf\xFChren');");
}

void DieSeite::scriptSave() {
    SString content;
    content.append(getElementText("dexmode_cmdList"));
    const SString chosen = askFilePath("dexmodeScriptSave",
                                       "\xB3\xB3"
                                       "dexmodeFileDlgTitelSave\xB3\xB3"
                                       "Skript-Datei speichern",
                                       fileFilter, true);
    if (chosen.isEmpty()) return;
    SString error;
    if (!SFile::writeTextFile(chosen, content, &error))
        setDexmodeInfo(fileFailure("\xB3\xB3"
                                   "dexmodeScriptSaveError\xB3\xB3"
                                   "Die Skript-Datei konnte nicht gespeichert werden:",
                                   chosen, error),
                       'r');
}

void DieSeite::setLanguage(const SString& code) {
    SString line("DieSeite::setLanguage(..) code=");
    globalDebug().trace(line.append(code));
    if (code == globalLanguage().languageCode) return;
    const int answer = dialogs().messageBox(
        "\xB3\xB3"
        "msgSprachwechsel\xB3\xB3"
        "Zum Sprachwechsel wird das Programm neu gestartet.\r\nSoll der Sprachwechsel durchgef\xFChrt "
        "werden?",
        "\xB3\xB3"
        "frage\xB3\xB3"
        "Frage",
        MB_OKCANCEL | MB_ICONQUESTION);
    if (answer != IDOK) return;

    // The setting is on the disk before the restart, so even a failed restart leaves the new
    // language for the next start. A setting that cannot be saved restarts nothing: the new
    // instance would come up in the old language.
    SFileIni& config = getUserConfig();
    const SString previous = config.readString("setup", "language");
    config.writeString("setup", "language", code);
    if (!config.save()) {
        config.writeString("setup", "language", previous);
        SString text(
            "\xB3\xB3"
            "msgSprachwechselFehler\xB3\xB3"
            "Die Spracheinstellung konnte nicht gespeichert werden:");
        text.append("\r\n");
        text.append(config.getErrorText());
        globalError().showError(text);
        return;
    }

    const SString program = ownProgram();
    line = "DieSeite::setLanguage(..) Neustart: ";
    globalDebug().trace(line.append(program));
    // A failed start shows its own box; the window closes all the same.
    SSystem::startProgram(program, std::vector<SString>());
    if (closeMainWindow) closeMainWindow();
}
