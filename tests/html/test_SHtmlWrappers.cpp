#include "MemoryPage.h"
#include "SHtmlWrappers.h"
#include "TraceMonitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const pageText =
    "<html><head><title>Zyntra</title>\r\n"
    "<script>var s = \"<div id='fake'>\";</script></head><body>\r\n"
    "<!-- <div id='commented'> -->\r\n"
    "<div id=\"output\">old <b id=inner>x</b></div>\r\n"
    "<span id='status' style=\"color:red; DISPLAY : none\">Status</span>\r\n"
    "<input id=\"text1\" type=\"text\" value=\"COM3 &amp; more\">\r\n"
    "<input id=\"check1\" type=checkbox checked><input id=\"check2\" type=\"checkbox\"/>\r\n"
    "<select id=\"port\"><option value=\"COM1\">COM1<option value=\"COM4\" selected>COM4</option>"
    "<option>COM9</select>\r\n"
    "<p id=\"dup\">1</p><p id=\"dup\">2<p id=unclosed>3\r\n"
    "</body></html>";

// A document from the in-memory page with the page text written into it.
class SHtmlWrappersTest : public ::testing::Test {
protected:
    void SetUp() override {
        TraceMonitor::get().reset();
        ASSERT_EQ(page.createBrowser(&browser), S_OK);
        browser->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web));
        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(u"about:blank");
        web->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
        VariantClear(&url);
        IDispatch* found = nullptr;
        web->get_Document(&found);
        ASSERT_TRUE(document.take(found));
        baseline = page.getOutstandingReferences();
    }
    void TearDown() override {
        // Every handle a test made has let its reference go.
        EXPECT_EQ(page.getOutstandingReferences(), baseline);
        document.release();
        web->Release();
        browser->Release();
        EXPECT_EQ(page.getOutstandingReferences(), 0);
        EXPECT_EQ(page.getSurplusReleases(), 0);
    }
    void writePage(const char* text) {
        ASSERT_TRUE(document.write(text));
        ASSERT_TRUE(document.close());
    }

    MemoryPage page;
    IOleObject* browser = nullptr;
    IWebBrowser2* web = nullptr;
    SHtmlDocument2 document;
    long baseline = 0;
};

}  // namespace

TEST_F(SHtmlWrappersTest, ElementsAreFoundByIdInRealPageText) {
    writePage(pageText);
    struct Case {
        const char* id;
        int index;
        const char* tag;  // "" when there is no such element
        const char* text;
    } cases[] = {
        {"output", 0, "DIV", "old x"},
        {"inner", 0, "B", "x"},
        {"status", 0, "SPAN", "Status"},
        {"port", 0, "SELECT", "COM1COM4COM9"},
        {"dup", 0, "P", "1"},
        {"dup", 1, "P", "2"},
        {"dup", 2, "", ""},
        {"unclosed", 0, "P", "3\r\n"},
        {"fake", 0, "", ""},       // inside a script
        {"commented", 0, "", ""},  // inside a comment
        {"missing", 0, "", ""},
        {"", 0, "", ""},
    };
    for (const Case& c : cases) {
        SHtmlElement element;
        element.attachById(document, c.id, c.index);
        SString tag, text;
        EXPECT_EQ(element.isValid(), *c.tag != 0) << c.id << " " << c.index;
        element.getTagName(tag);
        element.getInnerText(text);
        EXPECT_EQ(tag, c.tag) << c.id;
        EXPECT_EQ(text, c.text) << c.id;
    }
}

TEST_F(SHtmlWrappersTest, ElementOperationsChangeThePage) {
    writePage(pageText);
    SHtmlElement output;
    ASSERT_TRUE(output.attachById(document, "output"));
    EXPECT_EQ(output.setInnerHTML("<span id='fresh'>neu</span> Text"), 1);
    EXPECT_EQ(page.getInnerHTML("output"), "<span id='fresh'>neu</span> Text");
    // What was inside is gone, what came in is there.
    EXPECT_FALSE(page.hasElement("inner"));
    EXPECT_EQ(page.getInnerText("fresh"), "neu");

    EXPECT_EQ(output.setInnerText("a < b & \"c\"\r\nZeile"), 1);
    EXPECT_EQ(page.getInnerHTML("output"), "a &lt; b &amp; &quot;c&quot;<br>Zeile");
    EXPECT_FALSE(page.hasElement("fresh"));
    SString text;
    EXPECT_EQ(output.getInnerText(text), 1);
    EXPECT_EQ(text, "a < b & \"c\"\r\nZeile");

    SHtmlElement status;
    ASSERT_TRUE(status.attachById(document, "status"));
    IHTMLStyle* found = nullptr;
    EXPECT_EQ(status.getStyle(&found), 1);
    SHtmlStyle style;
    ASSERT_TRUE(style.take(found));
    SString display;
    EXPECT_EQ(style.getDisplay(display), 1);
    EXPECT_EQ(display, "none");
    EXPECT_EQ(style.setDisplay("block"), 1);
    EXPECT_EQ(page.getDisplay("status"), "block");
}

TEST_F(SHtmlWrappersTest, InputAndSelectFields) {
    writePage(pageText);
    SHtmlInputElement text1, check1, check2;
    ASSERT_TRUE(text1.attachById(document, "text1"));
    ASSERT_TRUE(check1.attachById(document, "check1"));
    ASSERT_TRUE(check2.attachById(document, "check2"));
    SString value;
    EXPECT_EQ(text1.getValue(value), 1);
    EXPECT_EQ(value, "COM3 & more");
    EXPECT_EQ(text1.setValue("COM7"), 1);
    EXPECT_EQ(page.getValue("text1"), "COM7");
    int checked = 99;
    EXPECT_EQ(check1.getStatus(checked), 1);
    EXPECT_NE(checked, 0);
    EXPECT_EQ(check2.getStatus(checked), 1);
    EXPECT_EQ(checked, 0);
    page.setChecked("check2", true);
    EXPECT_EQ(check2.getStatus(checked), 1);
    EXPECT_EQ(checked, VARIANT_TRUE);  // the raw VARIANT_BOOL

    // The usual way: an input handle attached to the element found by id.
    SHtmlElement element;
    ASSERT_TRUE(element.attachById(document, "port"));
    SHtmlSelectElement port;
    ASSERT_TRUE(port.attach(element.getPointer()));
    EXPECT_EQ(port.getValue(value), 1);
    EXPECT_EQ(value, "COM4");
    struct Case {
        const char* set;
        const char* value;
        int index;
    } cases[] = {{"COM1", "COM1", 0}, {"COM9", "COM9", 2}, {"COM5", "", -1}, {"", "", -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(port.setValue(c.set), 1);
        EXPECT_EQ(port.getValue(value), 1);
        EXPECT_EQ(value, c.value) << c.set;
        EXPECT_EQ(page.getSelectedIndex("port"), c.index) << c.set;
    }
}

TEST_F(SHtmlWrappersTest, MissingElementsAndWrongKindsLeaveEmptyHandles) {
    writePage(pageText);
    const SString before = page.getPageText();

    SHtmlElement missing;
    EXPECT_FALSE(missing.attachById(document, "nirgends"));
    EXPECT_EQ(missing.setInnerHTML("x"), 0);
    SString text("unchanged");
    EXPECT_EQ(missing.getInnerText(text), 0);
    EXPECT_EQ(text, "unchanged");

    // An input handle on a div, a select handle on an input field.
    SHtmlInputElement notInput;
    EXPECT_FALSE(notInput.attachById(document, "output"));
    EXPECT_EQ(notInput.getResult(), E_NOINTERFACE);
    EXPECT_EQ(notInput.getValue(text), 0);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(notInput.setValue("x"), 0);
    int checked = 42;
    EXPECT_EQ(notInput.getStatus(checked), 0);
    EXPECT_EQ(checked, 42);
    SHtmlSelectElement notSelect;
    EXPECT_FALSE(notSelect.attachById(document, "text1"));

    // A call the object refuses: 0, and its result code is kept.
    SHtmlElement input;
    ASSERT_TRUE(input.attachById(document, "text1"));
    EXPECT_EQ(input.setInnerHTML("<b>x</b>"), 0);
    EXPECT_EQ(input.getResult(), E_FAIL);

    EXPECT_EQ(page.getPageText(), before);
    EXPECT_TRUE(TraceMonitor::get().linesSince().empty());
}

TEST_F(SHtmlWrappersTest, ADocumentWithoutContentHasNoElements) {
    // Nothing written yet: the blank document has no element collection.
    SHtmlElement element;
    EXPECT_FALSE(element.attachById(document, "output"));
    EXPECT_EQ(element.setInnerHTML("x"), 0);
    // An empty document handle looks up nothing either.
    SHtmlDocument2 none;
    EXPECT_EQ(none.getElementById("output"), nullptr);
    EXPECT_EQ(none.write("text"), 0);
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"Dokument hat keinen Inhalt.", "Dokument hat keinen Inhalt."}));

    writePage(pageText);
    page.documentHasContent = false;
    EXPECT_FALSE(element.attachById(document, "output"));
    EXPECT_EQ(TraceMonitor::get().linesSince(), (std::vector<std::string>{"Dokument hat keinen Inhalt."}));
}

TEST_F(SHtmlWrappersTest, DocumentWriteReplacesThePageAfterClose) {
    writePage("<div id=a>eins</div>");
    ASSERT_TRUE(document.write("<div id=b>zwei"));
    ASSERT_TRUE(document.write("</div><div id=c>drei</div>"));
    ASSERT_TRUE(document.close());
    EXPECT_FALSE(page.hasElement("a"));
    EXPECT_EQ(page.getInnerText("b"), "zwei");
    EXPECT_EQ(page.getInnerText("c"), "drei");
    EXPECT_EQ(page.writes.size(), 3u);
    // Texts cross as UTF-16 both ways.
    writePage("<p id=u>\xE4\xF6\xFC\xDF \x80 \xB0</p>");
    SHtmlElement u;
    ASSERT_TRUE(u.attachById(document, "u"));
    SString text;
    u.getInnerText(text);
    EXPECT_EQ(text, "\xE4\xF6\xFC\xDF \x80 \xB0");
}

// Text from the device goes into the page as HTML; encoded, it stays text and makes no elements.
TEST_F(SHtmlWrappersTest, EncodedDeviceTextCannotBecomeMarkup) {
    writePage(pageText);
    const int elements = page.getElementCount();
    const char* fromDevice[] = {
        "<script>alert(1)</script>",
        "<img id=x src=x onerror=alert(1)>",
        "</div><div id=\"injected\">",
        "{12}OK <b>&amp;",
    };
    SHtmlElement output;
    ASSERT_TRUE(output.attachById(document, "output"));
    for (const char* raw : fromDevice) {
        SString html(raw);
        html.htmlEncode();
        ASSERT_EQ(output.setInnerHTML(html), 1);
        EXPECT_EQ(page.getInnerHTML("output").findChar('<'), -1) << raw;
        EXPECT_EQ(page.getInnerText("output"), raw);
        EXPECT_EQ(page.getElementCount(), elements - 1) << raw;  // only "inner" went
    }
    // The same text unencoded would have made elements: the check above can see it.
    ASSERT_EQ(output.setInnerHTML(fromDevice[2]), 1);
    EXPECT_TRUE(page.hasElement("injected"));
}
