#include "SStringList.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings entries(const SStringList& list) {
    Strings out;
    for (int i = 0; i < list.getCount(); ++i)
        out.emplace_back(list.getAt(i).getChars(), list.getAt(i).getLength());
    return out;
}

SStringList listOf(const Strings& items) {
    SStringList list;
    for (const std::string& s : items)
        list.add(s.c_str());
    return list;
}

}  // namespace

TEST(SStringList, SplitGivesOnePieceMoreThanSeparators) {
    struct Case {
        const char* text;
        const char* separator;
        Strings want;
    } cases[] = {
        {"a:b:", ":", {"a", "b", ""}},
        {"", ":", {""}},
        {"abc", ":", {"abc"}},
        {"::", ":", {"", "", ""}},
        {"a--b---c", "--", {"a", "b", "-c"}},
        {"aXbxc", "x", {"aXb", "c"}},  // case-sensitive
        {"\r\nline1\r\nline2", "\r\n", {"", "line1", "line2"}},
    };
    for (const Case& c : cases) {
        SStringList list;
        list.add("stale");
        EXPECT_EQ(list.split(c.text, c.separator), int(c.want.size())) << c.text;
        EXPECT_EQ(entries(list), c.want) << c.text;
        EXPECT_STREQ(list.join(c.separator).getChars(), c.text) << "join undoes split";
    }
}

TEST(SStringList, SplitRefusesAnEmptySeparator) {
    SStringList list = listOf({"x", "y"});
    EXPECT_EQ(list.split("abc", ""), 0);
    EXPECT_EQ(list.getCount(), 0);
}

TEST(SStringList, SplitWordsHonoursQuotesAndKeepsEmptyWords) {
    struct Case {
        const char* text;
        Strings want;
    } cases[] = {
        {" send \"a b\" x ", {"send", "a b", "x"}},
        {" send \"a b\"  x ", {"send", "a b", "", "x"}},
        {"a\tb\r\nc", {"a", "b", "", "c"}},
        {"\"\" x", {"", "x"}},
        {"say\"a b\"", {"say\"a b\""}},  // quotes inside a word stay
        {"\"", {}},                      // an unclosed quote never ends its word
        {"", {""}},
        {"\"a \" b", {"a ", "b"}},
    };
    for (const Case& c : cases) {
        SStringList list;
        EXPECT_EQ(list.splitWords(c.text), int(c.want.size())) << c.text;
        EXPECT_EQ(entries(list), c.want) << c.text;
    }
}

TEST(SStringList, SplitQuotedKeepsBracketedSeparators) {
    struct Case {
        const char* text;
        const char* pairs;
        bool escape;
        Strings want;
    } cases[] = {
        {"a,(b,c),d", "()", false, {"a", "(b,c)", "d"}},
        {"(a,[b,c]),d", "()[]", false, {"(a,[b,c])", "d"}},
        {"(a,[b),c]),d", "()[]", false, {"(a,[b),c])", "d"}},  // only the innermost closer counts
        {"\"a,b\",c", "\"\"", false, {"\"a,b\"", "c"}},
        {"a',b,c", "", true, {"a',b", "c"}},
        {"a',b,c", "", false, {"a'", "b", "c"}},
        {"a,b,", "()", false, {"a", "b"}},  // an empty rest is not added
        {",a", "()", false, {"", "a"}},
        {"(a,b", "()", false, {"(a,b"}},
        {"x'", "", true, {"x'"}},           // escape as the last byte
        {"a,(b", "(", false, {"a", "(b"}},  // an incomplete pair is ignored
        {"", "()", false, {}},
    };
    for (const Case& c : cases) {
        SStringList list;
        EXPECT_EQ(list.splitQuoted(c.text, ',', c.pairs, c.escape), int(c.want.size())) << c.text;
        EXPECT_EQ(entries(list), c.want) << c.text;
    }
}

TEST(SStringList, JoinOfAnEmptyListIsEmpty) {
    SStringList list;
    EXPECT_STREQ(list.join(", ").getChars(), "");
    list.add("one");
    EXPECT_STREQ(list.join(", ").getChars(), "one");
}

TEST(SStringList, IndexErrorsShowTheBoxAndContinue) {
    ScriptedDialogs dialogs;
    SStringList list = listOf({"a", "b", "c"});

    EXPECT_STREQ(list.getAt(5).getChars(), "c");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "Fehler in der Liste: SStringList.getAt(..)\r\nEs wurde ein Element au\xDF"
              "erhalb des Bereiches angefordert.\r\nAngefordert wurde: 5\r\nm\xF6glich ist: 0...2");
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");
    EXPECT_EQ(dialogs.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));

    struct Case {
        const char* method;
        int requested;
    } expected[] = {{"getAt", -1}, {"getAt", 3}, {"insertAt", 4}, {"insertAt", -1}, {"removeAt", 3}};
    EXPECT_STREQ(list.getAt(-1).getChars(), "a");
    EXPECT_FALSE(list.setAt(3, "x"));
    EXPECT_EQ(list.insertAt(4, "x"), -1);
    EXPECT_EQ(list.insertAt(-1, "x"), -1);
    EXPECT_FALSE(list.removeAt(3));
    ASSERT_EQ(dialogs.boxes.size(), 6u);
    for (size_t i = 0; i < 5; ++i) {
        const std::string& text = dialogs.boxes[i + 1].text;
        EXPECT_NE(text.find(std::string("SStringList.") + expected[i].method + "(..)"), std::string::npos)
            << text;
        EXPECT_NE(text.find("Angefordert wurde: " + std::to_string(expected[i].requested)),
                  std::string::npos);
    }
    EXPECT_EQ(entries(list), (Strings{"a", "b", "c"}));
}

TEST(SStringList, GetAtOnAnEmptyListGivesABlankSpare) {
    ScriptedDialogs dialogs;
    SStringList list;
    list.getAt(0) = "scribbled";
    EXPECT_STREQ(list.getAt(0).getChars(), "");
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_NE(dialogs.boxes[0].text.find("m\xF6glich ist: 0...-1"), std::string::npos);
    EXPECT_EQ(list.getCount(), 0);
}

TEST(SStringList, InsertAddFindAndRemove) {
    SStringList list = listOf({"b", "d"});
    EXPECT_EQ(list.insertAt(0, "a"), 0);
    EXPECT_EQ(list.insertAt(2, "c"), 2);
    EXPECT_EQ(list.insertAt(4, "e"), 4);
    EXPECT_EQ(entries(list), (Strings{"a", "b", "c", "d", "e"}));

    EXPECT_EQ(list.add("b", true), 1);
    EXPECT_EQ(list.getCount(), 5);
    EXPECT_EQ(list.add("b"), 5);
    EXPECT_EQ(list.find("b"), 1);
    EXPECT_EQ(list.find("b", 2), 5);
    EXPECT_EQ(list.find("B"), -1);
    EXPECT_EQ(list.find("zz"), -1);

    EXPECT_EQ(list.removeAll(list.getAt(1)), 2);  // the entry passed may be one of the list's own
    EXPECT_EQ(entries(list), (Strings{"a", "c", "d", "e"}));
    EXPECT_TRUE(list.removeAt(0));
    EXPECT_TRUE(list.setAt(0, "C"));
    EXPECT_EQ(entries(list), (Strings{"C", "d", "e"}));
    list.clear();
    EXPECT_EQ(list.getCount(), 0);
}

TEST(SStringList, IgnoreCaseAppliesToFindRemoveAllAndSort) {
    SStringList list = listOf({"b", "A", "B", "a"});
    EXPECT_EQ(list.find("B"), 2);
    list.setIgnoreCase(true);
    EXPECT_EQ(list.find("B"), 0);
    EXPECT_EQ(list.add("a", true), 1);
    list.sort(1);
    EXPECT_EQ(list.getAt(0).compare("a", true), 0);
    EXPECT_EQ(list.getAt(1).compare("a", true), 0);
    EXPECT_EQ(list.removeAll("B"), 2);
    EXPECT_EQ(list.getCount(), 2);
}

TEST(SStringList, SortOrdersBothWays) {
    std::mt19937 random(7);
    for (int n : {0, 1, 2, 3, 17, 250}) {
        Strings items;
        for (int i = 0; i < n; ++i)
            items.push_back(std::to_string(random() % 50));
        SStringList list = listOf(items);
        list.sort(1);
        Strings want = items;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(entries(list), want) << n;
        list.sort(-1);
        std::reverse(want.begin(), want.end());
        EXPECT_EQ(entries(list), want) << n;
    }
}

TEST(SStringList, ArrayGrowsAndShrinksWithHysteresis) {
    SStringList list;
    EXPECT_EQ(list.getCapacity(), 10);
    for (int i = 0; i < 9; ++i)
        list.add("x");
    EXPECT_EQ(list.getCapacity(), 10);
    list.add("x");
    EXPECT_EQ(list.getCapacity(), 111);
    for (int i = 0; i < 290; ++i)
        list.add("x");
    const int big = list.getCapacity();
    EXPECT_GE(big, 301);
    list.removeAt(0);
    list.add("y");
    EXPECT_EQ(list.getCapacity(), big) << "one in, one out does not reallocate";
    while (list.getCount() > 5)
        list.removeAt(0);
    EXPECT_GT(list.getCapacity(), 5);
    EXPECT_LE(list.getCapacity(), 5 + 150) << "the array shrinks once it is far too large";
}

TEST(SStringList, CopiesOwnTheirStrings) {
    SStringList a = listOf({"x", "y"});
    SStringList b(a);
    b.getAt(0) = "changed";
    a = b;
    b.clear();
    EXPECT_EQ(entries(a), (Strings{"changed", "y"}));
}
