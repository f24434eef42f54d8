#include "SApplication.h"

#include "Dialogs.h"
#include "EventLoop.h"
#include "RawText.h"
#include "SError.h"
#include "SFileSystem.h"
#include "SFrameWindow.h"
#include "SResources.h"

#include <algorithm>
#include <cstring>

SApplication& globalApplication() {
    // Never destroyed: windows that are globals themselves deregister in their destructors.
    static SApplication* application = new SApplication();
    return *application;
}

SApplication::~SApplication() {
    if (tickTimer != 0) EventLoop::killTimer(tickTimer);
}

void SApplication::setArguments(int argc, char* argv[]) {
    arguments.clear();
    for (int i = 0; i < argc; ++i)
        arguments.add(rawText(argv[i], int(std::strlen(argv[i]))));
    programPath = argc > 0 ? rawText(argv[0], int(std::strlen(argv[0]))) : SString();
    // A program started through the search path has a bare name as its first argument; its own
    // file is then the one the system ran, so that resources and the restart find it.
    if (!programPath.isEmpty() && programPath.findChar(SFileSystem::separator()) < 0)
        programPath = SResources::getOwnProgramPath();
    if (!programPath.isEmpty()) programPath = SFileSystem::getFullPath(programPath);
    programDirectory = SFileSystem::getFolder(programPath);
    if (programDirectory.isEmpty()) programDirectory = SFileSystem::getCurrentFolder();
}

bool SApplication::start(int argc, char* argv[]) {
    setArguments(argc, argv);
    quitRequested = false;
    exitCode = 0;

    WindowSystem& ws = windowSystem();
    if (!ws.init()) {
        dialogs().messageBox("Die Anwendung konnte keine Verbindung zur Anzeige herstellen.", "FEHLER",
                             MB_OK | MB_ICONERROR);
        return false;
    }
    // The platform's boxes replace the standard-error ones, but never dialogs a test installed.
    if (Dialogs* platform = ws.platformDialogs()) {
        Dialogs* installed = setDialogs(platform);
        if (installed != nullptr) setDialogs(installed);
    }

    SResources& resources = globalResources();
    if (!resources.initialized) {
        resources.programPath = programPath;
        resources.programDirectory = programDirectory;
        resources.init();
    }

    if (mainWindow == nullptr) {
        dialogs().messageBox(
            "Die Anwendnung konnte nicht gestartet \r\nwerden, da kein Hauptfenster existiert.\r\n\r\n"
            "Verwenden Sie den Morv-Main-Assistenten zur automatischen Erzeugung.",
            "FEHLER", MB_OK | MB_ICONERROR);
        return false;
    }
    if (!mainWindow->create()) return false;
    mainWindow->show();

    if (tickTimer == 0)
        tickTimer =
            EventLoop::setTimer(tickIntervalMs, [this](unsigned, unsigned time) { onThreadTimer(time); });
    return true;
}

int SApplication::run() {
    auto finished = [this] { return quitRequested || mainWindow == nullptr || !mainWindow->isCreated(); };
    while (!finished())
        EventLoop::waitUntil(1000, finished);
    if (tickTimer != 0) {
        EventLoop::killTimer(tickTimer);
        tickTimer = 0;
    }
    if (userConfig.isOpen() && userConfig.isModified()) userConfig.save();
    quitRequested = false;
    return exitCode;
}

void SApplication::quit(int code) {
    exitCode = code;
    quitRequested = true;
    EventLoop::wake();
}

void SApplication::addWindow(SWindow* window) {
    if (std::find(windows.begin(), windows.end(), window) == windows.end()) windows.push_back(window);
}

void SApplication::removeWindow(SWindow* window) {
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

void SApplication::onWindowDestroyed(SWindow* window) {
    if (mainWindow == nullptr || window != mainWindow) return;
    globalError().showLog();
    quit(0);
}

int SApplication::translateAccelerator(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A copy: a window may be destroyed by the key it handles.
    const std::vector<SWindow*> list = windows;
    for (SWindow* w : list) {
        if (std::find(windows.begin(), windows.end(), w) == windows.end()) continue;
        if (w->translateAccelerator(window, message, wParam, lParam) != 0) return 1;
    }
    return 0;
}

bool SApplication::preTranslateMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    return translateAccelerator(msg.hwnd, msg.message, msg.wParam, msg.lParam) != 0;
}

void SApplication::onThreadTimer(unsigned time) {
    const std::vector<SWindow*> list = windows;
    for (SWindow* w : list) {
        if (std::find(windows.begin(), windows.end(), w) != windows.end()) w->onThreadTimer(time);
    }
}

void SApplication::beginWaitCursor() {
    if (waitCursorCount++ == 0) dialogs().setWaitCursor(true);
}

void SApplication::endWaitCursor() {
    // An end without a begin is ignored, so an unbalanced call cannot hide a later wait cursor.
    if (waitCursorCount == 0) return;
    if (--waitCursorCount == 0) dialogs().setWaitCursor(false);
}
