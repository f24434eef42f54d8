#include "SLanguage.h"
#include "SString.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

TEST(SString, SubstringsFollowTheirCountingRules) {
    const SString s("abcdef");
    struct Case {
        SString got;
        const char* want;
    } cases[] = {
        {s.mid(2, 100), "cdef"}, {s.mid(-2), "ef"},       {s.left(-1), "abcde"}, {s.mid(7, 1), ""},
        {s.mid(1, -2), "bcd"},   {s.mid(-3, 2), "de"},    {s.right(2), "ef"},    {s.left(3), "abc"},
        {s.right(0), ""},        {s.right(10), "abcdef"}, {s.mid(-10, 2), "ab"}, {s.mid(6), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(c.got), c.want);
}

TEST(SString, SearchesFindFirstLastAndCaseFolded) {
    EXPECT_EQ(SString("abc").find(""), 0);
    EXPECT_EQ(SString("abc").find("c", 3), -1);
    EXPECT_EQ(SString("abc").find("c", -5), 2);
    EXPECT_EQ(SString("xAaAB").find("aab", 0, true), 2);
    EXPECT_EQ(SString("aB").find("B", 0, true), 1);
    EXPECT_EQ(SString("gr\xDC\xDF").find("\xFC", 0, true), 2);
    EXPECT_EQ(SString("abcabc").findReverse("bc"), 4);
    EXPECT_EQ(SString("abCabc").findReverse("BC", true), 4);
    EXPECT_EQ(SString("abc").findReverse("abcd"), -1);
    EXPECT_EQ(SString("a:b:c").findChar(':', 2), 3);
    EXPECT_EQ(SString("a:b:c").findLastChar(':'), 3);
    EXPECT_TRUE(SString("Hello").startsWith("he", true));
    EXPECT_FALSE(SString("Hello").startsWith("he"));
    EXPECT_TRUE(SString("Hello").endsWith("LLO", true));
    EXPECT_FALSE(SString("lo").endsWith("hello"));
}

// A needle that starts with the literal marker is searched for as the bytes it is. Its case
// copies once went through the language table, which made them shorter than the needle (here an
// unknown key with an empty default: 0 bytes in a 10-byte buffer), and the compare loop read past
// them; a subject of NUL bytes kept the forward loop matching.
TEST(SString, CaseFoldedSearchTakesAMarkedNeedleAsItsBytes) {
    globalLanguage().clear();
    const char* needle =
        "\xB3\xB3"
        "abcdefg\xB3\xB3";  // 11 bytes
    const SString nuls = SString().setRaw(std::string(11, '\0').data(), 11);
    const SString eleven("xxxxxxxxxxx");
    const SString holder = SString().setRaw(
        "x\xB3\xB3"
        "ABCdefg\xB3\xB3",
        12);
    struct Case {
        const SString& subject;
        int first;
        int last;
    } cases[] = {{nuls, -1, -1}, {eleven, -1, -1}, {holder, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(str(c.subject));
        EXPECT_EQ(c.subject.find(needle, 0, true), c.first);
        EXPECT_EQ(c.subject.findReverse(needle, true), c.last);
    }
}

// A real that is NaN or infinite has no integer value: the conversion fails as an overflow and
// leaves the destination alone, never casting. A double beyond the single range fails for VT_R4.
TEST(VariantChangeType, NonFiniteRealsAreNoIntegers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const VARTYPE integers[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT};
    for (double value : {nan, inf, -inf}) {
        for (VARTYPE from : {VT_R8, VT_R4}) {
            VARIANT src, dest;
            VariantInit(&src);
            src.vt = from;
            if (from == VT_R8)
                src.dblVal = value;
            else
                src.fltVal = float(value);
            for (VARTYPE vt : integers) {
                SCOPED_TRACE(testing::Message() << value << " " << from << " -> " << vt);
                VariantInit(&dest);
                EXPECT_EQ(VariantChangeType(&dest, &src, 0, vt), DISP_E_OVERFLOW);
                EXPECT_EQ(dest.vt, VT_EMPTY);
            }
        }
    }
    VARIANT big, single;
    VariantInit(&big);
    VariantInit(&single);
    big.vt = VT_R8;
    big.dblVal = 1e300;
    EXPECT_EQ(VariantChangeType(&single, &big, 0, VT_R4), DISP_E_OVERFLOW);
    big.dblVal = -2.5;
    ASSERT_EQ(VariantChangeType(&single, &big, 0, VT_R4), S_OK);
    EXPECT_EQ(single.fltVal, -2.5f);
}

TEST(SString, EditingInPlace) {
    SString s("send:1:2");
    EXPECT_EQ(str(s.splitOff(":")), "send");
    EXPECT_EQ(str(s), "1:2");
    SString whole("abc");
    EXPECT_EQ(str(whole.splitOff(":")), "abc");
    EXPECT_TRUE(whole.isEmpty());

    struct Case {
        const char* text;
        const char* what;
        const char* with;
        bool repeat;
        const char* want;
    } cases[] = {
        {"a b c", " ", "", false, "abc"},    {"a    b", "  ", " ", true, "a b"},
        {"aaa", "a", "aa", false, "aaaaaa"},  // inserted text is not searched again
        {"abc", "", "x", false, "abc"},       // empty search text: unchanged
        {"abc", "b", "bb", true, "abc"},      // would never end: unchanged
        {"aabb", "ab", "a", true, "aa"},
        // A replacement that starts with the literal marker is its bytes in both modes.
        {"xab", "ab", "\xB3\xB3", false, "x\xB3\xB3"},
        {"xab", "ab", "\xB3\xB3", true, "x\xB3\xB3"},
    };
    for (const Case& c : cases) {
        SString t(c.text);
        t.replace(c.what, c.with, c.repeat);
        EXPECT_EQ(str(t), c.want) << c.text;
    }

    SString ins("abc");
    ins.insert(-1, "X");
    EXPECT_EQ(str(ins), "abXc");
    ins.insert(99, "Y");
    EXPECT_EQ(str(ins), "abXcY");
    ins.insert(-99, "Z");
    EXPECT_EQ(str(ins), "abXcY");
    ins.remove(1, 2);
    EXPECT_EQ(str(ins), "acY");
    ins.remove(1, -1);
    EXPECT_EQ(str(ins), "a");
    ins.remove(5, 1);
    EXPECT_EQ(str(ins), "a");

    // A string's bytes that start with the literal marker stay bytes when inserted or repeated.
    const SString marked = SString().setRaw("\xB3\xB3k\xB3\xB3", 5);
    SString into("ab");
    EXPECT_EQ(str(into.insert(1, marked)),
              "a\xB3\xB3k\xB3\xB3"
              "b");
    SString twice;
    EXPECT_EQ(str(twice.appendRepeated(marked, 2)), "\xB3\xB3k\xB3\xB3\xB3\xB3k\xB3\xB3");

    SString t("\r\n ab \t");
    EXPECT_EQ(str(t.trim()), "ab");
    SString high("\xA0x\xA0");
    EXPECT_EQ(str(high.trim()), "\xA0x\xA0");
    SString g(
        "gr\xFC\xDF"
        "e");
    EXPECT_EQ(str(g.toUpper()),
              "GR\xDC\xDF"
              "E");
    EXPECT_EQ(str(g.toLower()),
              "gr\xFC\xDF"
              "e");
}

TEST(SString, AppendAndCapacityRules) {
    SString s;
    EXPECT_EQ(s.getCapacity(), 10);
    s = "abcdefgh";  // 10 <= 8 + 2: grows to n + 100
    EXPECT_EQ(s.getCapacity(), 108);
    s = "abc";  // 108 > 3 + 10: shrinks to n + 100
    EXPECT_EQ(s.getCapacity(), 103);
    s.append(SString("12345"), 2).append(7).append('!');
    EXPECT_EQ(str(s), "abc127!");
    s.appendRepeated(SString("-"), 3).appendRepeated(SString("ab"), 2);
    EXPECT_EQ(str(s), "abc127!---abab");
    EXPECT_EQ(SString('x').getCapacity(), 2);
    EXPECT_EQ(str(SString("a") + SString("b") + "c"), "abc");
    SString self("xy");
    self.append(self).insert(1, self);
    EXPECT_EQ(str(self), "xxyxyyxy");
}

TEST(SString, NumbersInAndOut) {
    struct ToInt {
        const char* text;
        int want;
    } toInts[] = {{"0x1F", 31},
                  {"0b101", 5},
                  {"#0000FF", 0x00FF0000},
                  {"#FF8000", 0x000080FF},
                  {"12abc", 12},
                  {"0X1F", 0},
                  {"#abc", 0},
                  {" -42", -42},
                  {"0xFFFFFFFF", -1},
                  {"", 0},
                  {"99999999999", 2147483647}};
    for (const ToInt& c : toInts)
        EXPECT_EQ(SString(c.text).toInt(), c.want) << c.text;

    struct FromInt {
        int value;
        bool separators;
        int radix, width;
        const char* want;
    } fromInts[] = {{1000, true, 10, -1, "1.000"},
                    {999, true, 10, -1, "999"},
                    {5, false, 16, 2, "05"},
                    {255, false, 16, -1, "ff"},
                    {1234567, true, 10, -1, "1.234.567"},
                    {1234567890, true, 10, -1, "1.234.567.890"},
                    {-5000, true, 10, -1, "-5000"},
                    {-1, false, 16, -1, "ffffffff"}};
    for (const FromInt& c : fromInts)
        EXPECT_EQ(str(SString::fromInt(c.value, c.separators, c.radix, c.width)), c.want) << c.value;

    EXPECT_DOUBLE_EQ(SString("2.5x").toDouble(), 2.5);
    EXPECT_EQ(str(SString(1.5)), "1.5");
    EXPECT_EQ(str(SString(100.0)), "100.");
    EXPECT_EQ(str(SString(-17)), "-17");
}

TEST(SString, FormatGrowsThroughItsLimits) {
    SString s;
    s.format("%s-%d", "a", 5);
    EXPECT_EQ(str(s), "a-5");
    std::string big(5000, 'x');
    s.format("%s", big.c_str());
    EXPECT_EQ(s.getLength(), 5000);
    s.appendFormat("%d", 42);
    EXPECT_EQ(str(s.right(3)), "x42");
    std::string huge(1000005, 'y');
    s.format("%s", huge.c_str());
    EXPECT_EQ(s.getLength(), 1000000);  // longer output is cut
    SString own("abc");
    own.appendFormat("%s", own.getChars());
    EXPECT_EQ(str(own), "abcabc");
    SString bytes = SString().setRaw("a\0b", 3);  // received bytes with a NUL keep all of them
    bytes.appendFormat("%d", 7);
    EXPECT_EQ(str(bytes), std::string("a\0b7", 4));
}

TEST(SString, HtmlAndUrlText) {
    SString h("<a&b>'\"\xE4\xDF");
    EXPECT_EQ(str(h.htmlEncode()), "&lt;a&amp;b&gt;&prime;&quot;&auml;&szlig;");
    struct Case {
        const char* text;
        const char* want;
    } cases[] = {{"a%20b%", "a b%"}, {"%41%42", "AB"}, {"a+b", "a+b"}, {"%00x", "x"}, {"x%4", "x%4"}};
    for (const Case& c : cases) {
        SString u(c.text);
        EXPECT_EQ(str(u.urlDecode()), c.want) << c.text;
    }
}

TEST(SString, CharAccessAndComparison) {
    SString s("a\xE4");
    EXPECT_EQ(s.getCharAt(1), int((signed char)0xE4));
    EXPECT_EQ(s.getCharAt(2), 0);
    EXPECT_EQ(s.getCharAt(-1), 0);
    EXPECT_FALSE(s.setCharAt(2, 'x'));
    EXPECT_TRUE(s.setCharAt(0, 'b'));
    EXPECT_TRUE(s == "b\xE4");
    EXPECT_LT(SString("abc").compare("abd"), 0);
    EXPECT_EQ(SString("ABC").compare("abc", true), 0);
    EXPECT_TRUE(SString("a") < SString("b"));
}

TEST(SString, WideTextUsesWindows1252) {
    SString s(
        "\x80\xE4"
        "A\x9F");
    const OLECHAR* w = s.getWide();
    EXPECT_EQ(w[0], u'\u20AC');
    EXPECT_EQ(w[1], u'\u00E4');
    EXPECT_EQ(w[2], u'A');
    EXPECT_EQ(w[3], u'\u0178');
    EXPECT_EQ(w[4], 0);

    BSTR b = SysAllocString(u"\u20ACx\u4E2D");
    EXPECT_EQ(str(SString(b)), "\x80x?");
    SysFreeString(b);
    EXPECT_EQ(str(SString(static_cast<const OLECHAR*>(nullptr))), "");

    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = 123;
    EXPECT_EQ(str(SString(v)), "123");
}

TEST(SString, LanguageTableRulePerOperation) {
    SLanguage& table = globalLanguage();
    table.clear();
    EXPECT_EQ(str(SString("\xB3\xB3"
                          "Ende\xB3\xB3"
                          "Ende")),
              "Ende");

    table.load(SString("Ende=Exit\xB3\xB3\r\n"));
    const char* const literal =
        "\xB3\xB3"
        "Ende\xB3\xB3"
        "x";
    const int literalLength = 9;
    // The same marker bytes as they come from a file or a device.
    const SString bytes = SString().setRaw(literal, literalLength);
    const std::string asBytes(literal, literalLength);
    struct Case {
        const char* operation;
        std::function<SString()> make;
        std::string expected;
    } cases[] = {
        // Characters pass the language table.
        {"construct", [&] { return SString(literal); }, "Exit"},
        {"construct with length", [&] { return SString(literal, literalLength); }, "Exit"},
        {"set", [&] { return SString().set(literal); }, "Exit"},
        {"append characters", [&] { return SString("x").append(literal); }, "xExit"},
        {"format text", [&] { return SString().format("%s%s", "", literal); }, asBytes},
        {"format",
         [&] {
             return SString().format(
                 "\xB3\xB3"
                 "Ende\xB3\xB3"
                 "x %d",
                 1);
         },
         "Exit"},
        // A string's bytes are taken as they are.
        {"setRaw", [&] { return bytes; }, asBytes},
        {"copy", [&] { return SString(bytes); }, asBytes},
        {"assign",
         [&] {
             SString s;
             s = bytes;
             return s;
         },
         asBytes},
        {"append string", [&] { return SString("x").append(bytes); }, "x" + asBytes},
        {"append counted", [&] { return SString("x").append(bytes, 4); }, "x" + asBytes.substr(0, 4)},
        {"insert", [&] { return SString("xy").insert(1, bytes); }, "x" + asBytes + "y"},
        {"appendRepeated", [&] { return SString().appendRepeated(bytes, 2); }, asBytes + asBytes},
        {"mid", [&] { return SString("-").append(bytes).mid(1); }, asBytes},
        {"splitOff", [&] { return SString(bytes).append("|").splitOff("|"); }, asBytes},
        {"replace", [&] { return SString("a-b").replace("-", literal, true); }, "a" + asBytes + "b"},
        // Text from the page: what the user typed, never a literal of the program.
        {"BSTR",
         [&] {
             BSTR b = SysAllocString(u"\u00B3\u00B3" "Ende\u00B3\u00B3x");
             SString s(b);
             SysFreeString(b);
             return s;
         },
         asBytes},
        {"VARIANT",
         [&] {
             VARIANT v;
             VariantInit(&v);
             v.vt = VT_BSTR;
             v.bstrVal = SysAllocString(u"\u00B3\u00B3" "Ende\u00B3\u00B3x");
             SString s(v);
             VariantClear(&v);
             return s;
         },
         asBytes},
    };
    for (const Case& c : cases)
        EXPECT_EQ(str(c.make()), c.expected) << c.operation;
    EXPECT_TRUE(SString("Exit") == literal);
    EXPECT_TRUE(SString("Exit!").startsWith(literal));
    EXPECT_EQ(bytes.find(literal), 0);
    table.clear();
}
