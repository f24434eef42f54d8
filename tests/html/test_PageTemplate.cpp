#include "IntHtmView.h"
#include "MemoryPage.h"
#include "PageTemplate.h"
#include "SResources.h"
#include "TempDir.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

// Resources in directory mode whose only resource directory is a temp folder holding the files
// the pages load.
class PageTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("a.txt", "AAA");
        dir.write("b.css", "body{}");
        dir.write("leer.txt", "");
        dir.write("nested.txt", "N1 <!!vyx_loadFromResFile=\"a.txt\"> N2");
        dir.write("text_en.ini", "[s1]\r\nx=1\r\n[s2]\r\ny=2\r\n[t1]\r\nz=3\r\n");
        dir.write("q.ini", "[q]\r\na='x'\r\nb=\"y\"\tc\\d\r\n[de]\r\nk= Wert \r\n");
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.resourceDirectories.add(dir.path().c_str());
    }
    std::string expand(const std::string& page, const std::string& parameters = "") {
        PageTemplate expansion(resources);
        return str(expansion.expand(SString(page.c_str(), int(page.size())), parameters.c_str()));
    }

    TempDir dir;
    SResources resources;
    ScriptedDialogs boxes;
};

TEST_F(PageTemplateTest, ContextMenuScriptGoesBehindEveryLowerCaseHeadTag) {
    const std::string script = str(PageTemplate::contextMenuScript());
    EXPECT_EQ(script.substr(0, 9), "\t<head>\r\n");
    EXPECT_NE(script.find("Seitenoberfl\xE4"
                          "chen\r\n"),
              std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 12), "\t</script>\r\n");

    EXPECT_EQ(expand("<html><head><title>t</title></head>"), "<html>" + script + "<title>t</title></head>");
    EXPECT_EQ(expand("<head>|<head>"), script + "|" + script);
    EXPECT_EQ(expand("<HTML><HEAD></HEAD>"), "<HTML><HEAD></HEAD>");  // capitals: no script

    PageTemplate expansion(resources);
    EXPECT_EQ(str(expansion.expand("<head>", "", false)), "<head>");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PageTemplateTest, DirectivesAreReplacedByTheirInsertions) {
    struct Case {
        std::string page;
        std::string parameters;
        std::string expected;
    };
    const std::string quoted =
        "\\na=\\'x\\'\\nb=\\\"y\\\"\xB0"
        "c\\\\d";
    const std::vector<Case> cases = {
        // The same tag twice: one insertion replaces both.
        {"<!!vyx_loadFromResFile=\"a.txt\">|<!!vyx_loadFromResFile=\"a.txt\">", "", "\r\nAAA|\r\nAAA"},
        // A loaded file's own directive is expanded in the next pass.
        {"[<!!vyx_loadFromResFile=\"nested.txt\">]", "", "[\r\nN1 \r\nAAA N2]"},
        // Parameters: in the page and in a resource name; the section of an Entry too.
        {"%respfad%bild.png <!!vyx_loadFromResIni_Entry=\"text_%lang%.ini:s1:x\">",
         "lang=en;respfad=file://localhost/C:/p/", "file://localhost/C:/p/bild.png 1"},
        {"<!!vyx_loadFromResIni_Entry=\"q.ini:%lang%:k\">", "lang=de", "Wert"},
        // An item without "=" ends the parameters; a value may hold "=".
        {"%a%%b%%c%", "a=1;b;c=3", "1%b%%c%"},
        {"%k%", "k=v=w", "v=w"},
        // Wrappers by type; other types and anything before ">" are ignored.
        {"<!!vyx_loadFromResFile=\"b.css\" type=\"css\">", "",
         "\r\n<style type='text/css'>\r\nbody{}\r\n</style>"},
        {"<!!vyx_loadFromResFile=\"a.txt\"  type=\"js\" x>", "", "\r\n<script>\r\nAAA\r\n</script>"},
        {"<!!vyx_loadFromResFile=\"a.txt\" type=\"xml\">", "", "\r\nAAA"},
        // INI sections: all, by pattern (":" separates alternatives), in file order.
        {"<!!vyx_loadFromResIni=\"text_en.ini\">", "", "\r\nx=1\r\ny=2\r\nz=3"},
        {"<!!vyx_loadFromResIni=\"text_en.ini:s*\">", "", "\r\nx=1\r\ny=2"},
        {"<!!vyx_loadFromResIni=\"text_en.ini:t1:s2\">", "", "\r\ny=2\r\nz=3"},
        {"<!!vyx_loadFromResIni=\"fehlt.ini\">", "", "\r\n"},
        // Quoted: escaped for a JavaScript string, the opening wrapper included.
        {"<!!vyx_loadFromResIni_Quoted=\"q.ini:q\">", "", quoted},
        {"<!!vyx_loadFromResIni_Quoted=\"q.ini:q\" type=\"js\">", "",
         "\\n<script>" + quoted + "\r\n</script>"},
        // Entry: trimmed value, defaults naming key and section, missing parts empty.
        {"<!!vyx_loadFromResIni_Entry=\"q.ini:q:a\">", "", "'x'"},
        {"<!!vyx_loadFromResIni_Entry=\"q.ini:q:a:rest\">", "", "'x'"},
        {"<!!vyx_loadFromResIni_Entry=\"q.ini:q:a\" type=\"css\">", "",
         "<style type='text/css'>\r\n'x'\r\n</style>"},
        {"<!!vyx_loadFromResIni_Entry=\"q.ini:q:nix\">", "",
         "Fehler: Eintrag nix in Sektion q nicht gefunden."},
        {"<!!vyx_loadFromResIni_Entry=\"fehlt.ini:q:a\">", "",
         "Fehler: Eintrag a in Sektion q nicht gefunden."},
        {"<!!vyx_loadFromResIni_Entry=\"q.ini\">", "", "Fehler: Eintrag  in Sektion  nicht gefunden."},
        // Unknown commands leave a line break and their wrapper.
        {"x<!!vyx_loadFromNowhere=\"a.txt\">y", "", "x\r\ny"},
        {"x<!!vyx_loadFromNowhere=\"a.txt\" type=\"js\">y", "", "x\r\n<script>\r\n\r\n</script>y"},
        // Not a directive: no quoted argument.
        {"<!!vyx_loadFromResFile=a.txt>", "", "<!!vyx_loadFromResFile=a.txt>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expand(c.page, c.parameters), c.expected) << c.page;
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PageTemplateTest, MissingEmptyOrUnreadableFileShowsInfoAndInsertsNothing) {
    ASSERT_EQ(::mkfifo(dir.file("pipe.txt").c_str(), 0600), 0);
    struct Case {
        const char* argument;
        const char* reason;  // the start of the text after the first line
    };
    const std::vector<Case> cases = {
        {"fehlt_%lang%.txt", ""},
        {"leer.txt", ""},
        // A pipe would block the reading for ever: refused without opening it.
        {"pipe.txt", "Keine gew\xF6hnliche Datei."},
    };
    for (const Case& c : cases) {
        boxes.boxes.clear();
        EXPECT_EQ(
            expand(std::string("<!!vyx_loadFromResFile=\"") + c.argument + "\" type=\"css\">", "lang=en"),
            "\r\n<style type='text/css'>\r\n\r\n</style>");
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.argument;
        const std::string first =
            std::string("Fehler: Datei ") + c.argument + " ist leer oder nicht vorhanden.\r\n";
        EXPECT_EQ(boxes.boxes[0].text.substr(0, first.size()), first);
        EXPECT_EQ(boxes.boxes[0].text.substr(first.size(), std::string(c.reason).size()), c.reason);
        EXPECT_EQ(boxes.boxes[0].caption, "Info");
        EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    }
}

TEST_F(PageTemplateTest, ResourceUnderAFolderWithAnUmlautIsRead) {
    // "gr\xFCn" in the program's text is "gr\xC3\xBCn" on the file system; the size check before
    // the reading must look at the same file that SFile then opens.
    ASSERT_EQ(::mkdir(dir.file("gr\xC3\xBCn").c_str(), 0700), 0);
    dir.write("gr\xC3\xBCn/u.txt", "UUU");
    resources.resourceDirectories.add((dir.path() + "/gr\xFCn").c_str());
    EXPECT_EQ(expand("<!!vyx_loadFromResFile=\"u.txt\">"), "\r\nUUU");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PageTemplateTest, SelfIncludingPagesStopWithAnInfoNamingTheDirective) {
    const std::string self = "<!!vyx_loadFromResFile=\"self.txt\">";
    dir.write("self.txt", "x" + self);
    // Twice in itself: the text doubles each pass and would outgrow memory long before 32 passes.
    const std::string twice = "<!!vyx_loadFromResFile=\"twice.txt\">";
    dir.write("twice.txt", twice + twice);
    struct Case {
        std::string page;
        std::string boxStart;
    };
    const std::vector<Case> cases = {
        {self, "Fehler: Die Direktive " + self + " ist nach 32 Durchl\xE4ufen noch vorhanden"},
        {twice, "Fehler: Die Seite w\xFCrde beim Ersetzen der Direktive " + twice + " gr\xF6\xDF"},
    };
    for (const Case& c : cases) {
        boxes.boxes.clear();
        const std::string result = expand(c.page);
        EXPECT_NE(result.find(c.page), std::string::npos);  // the directive stays in the page
        EXPECT_LE(result.size(), size_t(PageTemplate::maxTextLength));
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.page;
        EXPECT_EQ(boxes.boxes[0].text.substr(0, c.boxStart.size()), c.boxStart);
        EXPECT_EQ(boxes.boxes[0].caption, "Info");
        EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    }
    std::string expected;
    for (int pass = 0; pass < PageTemplate::maxPasses; ++pass)
        expected += "\r\nx";
    EXPECT_EQ(expand(self), expected + self);
}

// The view expands through the global resources: a template loaded from a file reaches the
// in-memory page expanded, with the file's folder as respfad.
TEST(PageTemplateView, LoadFileWritesTheExpandedPage) {
    TempDir dir;
    ScriptedDialogs boxes;
    MemoryPage page;
    dir.write("teil_de.htm", "<span id=status>%lang%</span>");
    const std::string path = dir.write("seite.htm",
                                       "<html><head></head><body><!!vyx_loadFromResFile=\"teil_%lang%.htm\">"
                                       "<img src='%respfad%bild.png'></body></html>");
    SResources& resources = globalResources();
    resources.initialized = 1;
    resources.directoryMode = 1;
    resources.resourceDirectories.add(dir.path().c_str());

    IntHtmView view;
    ASSERT_EQ(view.create(nullptr), 1);
    view.loadFile(path.c_str(), "lang=de");
    ASSERT_EQ(page.writes.size(), 1u);
    EXPECT_EQ(str(page.writes[0]),
              "<html>" + str(PageTemplate::contextMenuScript()) +
                  "</head><body>\r\n<span id=status>de</span><img src='file://localhost" + dir.path() +
                  "/bild.png'></body></html>");
    EXPECT_EQ(str(page.getInnerText("status")), "de");
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
