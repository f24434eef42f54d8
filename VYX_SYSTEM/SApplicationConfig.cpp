#include "SApplicationConfig.h"

#include "FileSystemSeam.h"
#include "SError.h"
#include "SFileIni.h"
#include "SFileSystem.h"
#include "SSystem.h"

SString SApplicationConfig::configFilePath(int folderId, const SString& programPath) {
    SString title = SFileSystem::getFileTitle(programPath);
    if (title.isEmpty()) return SString();
    // Only the user's own folder is made on demand; the shared one belongs to the system.
    SString path = SSystem::getSpecialFolder(folderId, folderId == SSystem::folderAppData);
    path.append(SFileSystem::separator());
    path.append(title);
    path.append(".cfg");
    return path;
}

SString SApplicationConfig::ownUserConfigFilePath() {
    return configFilePath(SSystem::folderAppData, fsOwnProgramPath());
}

bool SApplicationConfig::openConfigFile(SFileIni& config, const SString& programPath, int folderId,
                                        const char* caller) {
    if (config.isOpen()) return true;
    SString path = configFilePath(folderId, programPath);
    if (path.isEmpty()) {
        SString text("Fehler in ");
        text.append(caller);
        text.append(
            "(..): Der Dateiname der Anwendung konnte nicht ermittelt werden.\r\n"
            "Eventuell haben Sie diese Funktion vor der Verarbeitung der \xDC"
            "bergabeparameter (z.B. in einem Konstruktor) aufgerufen.");
        globalError().showError(text);
        return false;
    }
    return config.open(path, true);
}

bool SApplicationConfig::openUserConfigFile(SFileIni& config, const SString& programPath) {
    return openConfigFile(config, programPath, SSystem::folderAppData, "SApplication::openUserConfigFile");
}

bool SApplicationConfig::openComputerConfigFile(SFileIni& config, const SString& programPath) {
    return openConfigFile(config, programPath, SSystem::folderCommonAppData,
                          "SApplication::openComputerConfigFile");
}
