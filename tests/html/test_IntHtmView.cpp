#include "IntHtmView.h"
#include "MemoryPage.h"
#include "PageTemplate.h"
#include "TempDir.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Records what loadFile hands to showHtml, and what the page shows when onHtmlShown comes.
class RecordingView : public IntHtmView {
public:
    void showHtml(const SString& html, const SString& parameters) override {
        shown.push_back({html.getChars(), parameters.getChars()});
        if (writeThrough) IntHtmView::showHtml(html, parameters);
    }
    void onHtmlShown() override { statusAtShown = page->getInnerText("status").getChars(); }

    struct Shown {
        std::string html;
        std::string parameters;
    };
    std::vector<Shown> shown;
    bool writeThrough = false;
    MemoryPage* page = nullptr;
    std::string statusAtShown = "(not called)";
};

class IntHtmViewTest : public ::testing::Test {
protected:
    void SetUp() override { view.page = &page; }
    MemoryPage page;
    ScriptedDialogs dialogs;
    TempDir temp;
    RecordingView view;
};

// Changes the working folder for a test, and back.
class InFolder {
public:
    explicit InFolder(const std::string& folder) {
        if (getcwd(previous, sizeof previous) == nullptr) previous[0] = 0;
        EXPECT_EQ(chdir(folder.c_str()), 0);
    }
    ~InFolder() {
        if (previous[0] != 0 && chdir(previous) != 0) ADD_FAILURE() << "cannot return to " << previous;
    }

private:
    char previous[PATH_MAX];
};

}  // namespace

TEST_F(IntHtmViewTest, LoadFileAddsTheFileFolderAsResourcePath) {
    // A Windows path: on this system the whole of it is one file name in the working folder.
    temp.write("C:\\p\\x.htm", "<p>windows</p>");
    temp.write("page.htm", "<p>posix</p>");
    InFolder here(temp.path());
    struct Case {
        std::string path;
        const char* parameters;
        std::string want;
    } cases[] = {
        {"C:\\p\\x.htm", "lang=de", "lang=de;respfad=file://localhost/C:/p/"},
        {"C:\\p\\x.htm", "", "respfad=file://localhost/C:/p/"},
        {temp.file("page.htm"), "lang=en", "lang=en;respfad=file://localhost" + temp.path() + "/"},
    };
    for (const Case& c : cases) {
        view.shown.clear();
        view.loadFile(c.path.c_str(), c.parameters);
        ASSERT_EQ(view.shown.size(), 1u) << c.path;
        EXPECT_EQ(view.shown[0].parameters, c.want) << c.path;
    }
    EXPECT_EQ(view.shown[0].html, "<p>posix</p>");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(IntHtmViewTest, LoadFileOfAMissingFileOnlyTellsTheUser) {
    const std::string path = temp.file("fehlt.htm");
    view.loadFile(path.c_str(), "lang=de");
    EXPECT_TRUE(view.shown.empty());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Die Datei " + path + " existiert nicht.");
    EXPECT_EQ(dialogs.boxes[0].caption, "Info");
    EXPECT_EQ(dialogs.boxes[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(IntHtmViewTest, ShowHtmlWritesThePageThenCallsOnHtmlShown) {
    view.writeThrough = true;
    ASSERT_EQ(view.create(nullptr), 1);
    page.calls.clear();
    view.showHtml("<html><head></head><body><span id=status>bereit</span></body></html>",
                  "lang=de;respfad=file://localhost/C:/p/");
    EXPECT_EQ(page.calls, (std::vector<SString>{"clear", "close"}));
    // Relative addresses of the page resolve against its resource folder.
    EXPECT_EQ(page.documentBase, "file://localhost/C:/p/");
    // The page is expanded on the way: the context-menu script lands behind the head tag.
    EXPECT_EQ(page.writes,
              (std::vector<SString>{SString("<html>") + PageTemplate::contextMenuScript() +
                                    "</head><body><span id=status>bereit</span></body></html>"}));
    EXPECT_EQ(view.statusAtShown, "bereit");  // the page is there when the hook runs

    // A second page replaces the first.
    view.showHtml("<div id=other></div>", "");
    EXPECT_EQ(page.documentBase, "");
    EXPECT_FALSE(page.hasElement("status"));
    EXPECT_TRUE(page.hasElement("other"));
    EXPECT_EQ(view.statusAtShown, "");
}

TEST_F(IntHtmViewTest, TheExpansionHookShapesTheWrittenPage) {
    view.writeThrough = true;
    ASSERT_EQ(view.create(nullptr), 1);
    std::vector<std::string> seen;
    view.expandPage = [&](IntHtmView& v, const SString& html, const SString& parameters) {
        EXPECT_EQ(&v, &view);
        seen.push_back(std::string(html) + "|" + std::string(parameters));
        SString page(html);
        page.replace("%lang%", "de");
        return page;
    };
    view.showHtml("<span id=status>%lang%</span>", "lang=de");
    EXPECT_EQ(seen, (std::vector<std::string>{"<span id=status>%lang%</span>|lang=de"}));
    EXPECT_EQ(page.writes.back(), "<span id=status>de</span>");
    EXPECT_EQ(view.statusAtShown, "de");
}

TEST_F(IntHtmViewTest, ShowHtmlWithoutABrowserStillCallsTheHook) {
    view.writeThrough = true;
    view.showHtml("<span id=status>x</span>", "");
    EXPECT_TRUE(page.writes.empty());
    EXPECT_EQ(view.statusAtShown, "");
    EXPECT_TRUE(dialogs.boxes.empty());
}
