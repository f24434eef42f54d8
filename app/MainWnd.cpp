#include "MainWnd.h"

#include "EventLoop.h"
#include "SApplication.h"
#include "SDebug.h"
#include "SFile.h"
#include "SResources.h"
#include "STimer.h"

namespace {
const int kPageMargin = 5;
const int kButtonBand = 40;
}  // namespace

MainWnd::MainWnd() {
    // The page keeps its settings in the application's configuration file, and a page that asks
    // to close (the language switch) closes the window as the close button does.
    dieSeite.userConfig = &globalApplication().getUserConfig();
    dieSeite.closeMainWindow = [this] { close(); };
}

MainWnd::~MainWnd() = default;

void MainWnd::preCreateWindow() {
    setTitle("Zyntra-Terminal V1.06");
    setSize(1000, 700);
    setFrameOptions(getFrameOptions() | frameCentered);
}

RECT MainWnd::pageRect(int width, int height) {
    // width - 10 wide and height - 40 high: the page's top margin counts into the button's band.
    return RECT{kPageMargin, kPageMargin, width - kPageMargin, kPageMargin + height - kButtonBand};
}

SString MainWnd::pageParameters(const SString& language, const SString& pagePath) {
    SString parameters = "lang=";
    parameters += language;
    return IntHtmView::withResourcePath(pagePath, parameters);
}

void MainWnd::onInitWindow() {
    SApplication& app = globalApplication();
    app.openUserConfigFile();
    SString language = app.getUserConfig().readString("setup", "language", "de");
    globalResources().loadLanguage(language);
    globalDebug().trace("MainWnd::onInitWindow(..) lang=" + language);

    endeButton.create(this,
                      "\xB3\xB3"
                      "Ende\xB3\xB3"
                      "Ende",
                      -100, -30);
    getEventList().add(WM_COMMAND, endeButton.getControlId(), static_cast<SWindow*>(this), &SWindow::close);

    int width = 0, height = 0;
    getClientSize(width, height);
    // The page fills the client area from the start: when the frame has its size before the page
    // exists, no later size event moves the page to it.
    dieSeite.setRect(width > 0 && height > 0
                         ? pageRect(width, height)
                         : SControl::placementRect(kPageMargin, kPageMargin, 590, -kButtonBand, width, height));
    dieSeite.setParentTitle(getTitle());
    if (!dieSeite.create(getHandle()) || !isCreated()) return;

    SString pagePath = globalResources().getFile("dieSeite.htm");
    // A missing page gives an empty text; the view then shows an empty page.
    SString pageText = SFile::readTextFile(pagePath);
    dieSeite.showHtml(pageText, pageParameters(language, pagePath));
    dieSeite.focusPage();
}

int MainWnd::onClose() {
    globalTimer().removeTimers(&dieSeite);
    dieSeite.close(0);
    EventLoop::wait(100);
    globalDebug().trace("MainWnd::onClose(..)");
    return 1;
}

void MainWnd::onSize(int width, int height) {
    const RECT r = pageRect(width, height);
    dieSeite.setRect(r);
    if (dieSeite.getWindow() != nullptr)
        moveWindow(dieSeite.getWindow(), r.left, r.top, r.right - r.left, r.bottom - r.top);
}
