#include "MemoryPage.h"
#include "SHtmlWrappers.h"

#include <gtest/gtest.h>

namespace {

// Writes text as a page into a fresh in-memory page, the way the view does.
class PageOf {
public:
    explicit PageOf(const char* text) {
        page.createBrowser(&browser);
        browser->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web));
        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(u"about:blank");
        web->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
        VariantClear(&url);
        IDispatch* found = nullptr;
        web->get_Document(&found);
        document.take(found);
        document.write(text);
        document.close();
    }
    ~PageOf() {
        document.release();
        web->Release();
        browser->Release();
    }
    MemoryPage page;
    IOleObject* browser = nullptr;
    IWebBrowser2* web = nullptr;
    SHtmlDocument2 document;
};

}  // namespace

TEST(MemoryPage, TheScannerToleratesRealWorldPageText) {
    struct Case {
        const char* text;
        const char* id;
        const char* tag;  // "" when the element must not exist
        const char* innerHtml;
    } cases[] = {
        {"<div id=a>x<div id=b>y</div>z</div>", "a", "DIV", "x<div id=b>y</div>z"},
        {"<div id=a>x<div id=b>y</div>z</div>", "b", "DIV", "y"},
        {"</span></td><div id=d>q</div>", "d", "DIV", "q"},
        {"<div id=e>rest", "e", "DIV", "rest"},
        {"<textarea id=t><div id=no></textarea>", "t", "TEXTAREA", "<div id=no>"},
        {"<textarea id=t><div id=no></textarea>", "no", "", ""},
        {"<DIV ID=\"Up\">x</DIV>", "Up", "DIV", "x"},
        {"<a id=x href=\"a>b\" title='c\"d'>t</a>", "x", "A", "t"},
        {"<p id=p1>one<div id=d2>two</div>", "p1", "P", "one"},
        {"<p id=p2><b>bold<p id=p3>next", "p2", "P", "<b>bold"},
        {"<span id=lt>1 < 2</span>", "lt", "SPAN", "1 < 2"},
        {"<br id=void><span id=after>a</span>", "after", "SPAN", "a"},
        {"<img id=self /><i id=i2>k</i>", "i2", "I", "k"},
        {"<input name=field value=1>", "field", "INPUT", ""},
        {"<!DOCTYPE html><?xml x?><div id=dt>ok</div>", "dt", "DIV", "ok"},
        {"<style>#a{}</style><script>if (a<b) document.write('<p id=s>')</script>", "s", "", ""},
        {"<div id=attr data-x=\"1\" disabled hidden=>z</div>", "attr", "DIV", "z"},
        {"<div id=", "", "", ""},
        {"<", "", "", ""},
    };
    for (const Case& c : cases) {
        PageOf p(c.text);
        EXPECT_EQ(p.page.getTagName(c.id), c.tag) << c.text;
        EXPECT_EQ(p.page.getInnerHTML(c.id), c.innerHtml) << c.text;
    }
}

TEST(MemoryPage, FieldsStartFromTheirAttributesAndFollowTheUser) {
    PageOf p(
        "<input id=v value=\"&lt;&#65;&#x42;&auml;\"><input id=c type=CHECKBOX checked>"
        "<select id=s><option>A<option selected value=2>B<option value=3>C</select>"
        "<select id=empty></select><span id=hidden style='display:NONE'>x</span>");
    EXPECT_EQ(p.page.getValue("v"), "<AB\xE4");
    EXPECT_TRUE(p.page.isChecked("c"));
    EXPECT_EQ(p.page.getValue("s"), "2");
    EXPECT_EQ(p.page.getSelectedIndex("s"), 1);
    EXPECT_EQ(p.page.getSelectedIndex("empty"), -1);
    EXPECT_EQ(p.page.getValue("empty"), "");
    EXPECT_EQ(p.page.getDisplay("hidden"), "none");

    EXPECT_TRUE(p.page.setValue("s", "3"));
    EXPECT_TRUE(p.page.setChecked("c", false));
    EXPECT_FALSE(p.page.setChecked("hidden", true));
    SHtmlSelectElement select;
    ASSERT_TRUE(select.attachById(p.document, "s"));
    SString value;
    select.getValue(value);
    EXPECT_EQ(value, "3");
    SHtmlInputElement check;
    ASSERT_TRUE(check.attachById(p.document, "c"));
    SString type;
    check.getType(type);
    EXPECT_EQ(type, "checkbox");
    int checked = 1;
    check.getChecked(checked);
    EXPECT_EQ(checked, 0);

    // A select's inner HTML brings new options.
    SHtmlElement element;
    ASSERT_TRUE(element.attachById(p.document, "s"));
    element.setInnerHTML("<option value=x>X<option value=y selected>Y");
    EXPECT_EQ(p.page.getValue("s"), "y");
    int length = 0;
    select.getLength(length);
    EXPECT_EQ(length, 2);
}

TEST(MemoryPage, TheCollectionCountsAndFindsByPosition) {
    PageOf p("<div id=a></div><div name=b></div><div id=a></div>");
    IHTMLElementCollection* found = nullptr;
    ASSERT_EQ(p.document.getAll(&found), 1);
    SHtmlElementCollection all;
    ASSERT_TRUE(all.take(found));
    int length = 0;
    all.getLength(length);
    EXPECT_EQ(length, 3);
    IDispatch* second = nullptr;
    all.item(SVariant(1), SVariant(0), &second);
    SHtmlElement element;
    ASSERT_TRUE(element.take(second));
    SString id;
    element.getId(id);
    EXPECT_EQ(id, "");  // found by its name
    IDispatch* beyond = nullptr;
    EXPECT_EQ(all.item(SVariant(3), SVariant(0), &beyond), 1);
    EXPECT_EQ(beyond, nullptr);
}
