#include "SNumList.h"
#include "SPointerList.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> entries(const SNumList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.getCount(); ++i)
        out.push_back(list.getAt(i));
    return out;
}

}  // namespace

TEST(SNumList, ParseTurnsNumbersAndQuotedTextIntoValues) {
    struct Case {
        const char* text;
        std::vector<int> want;
    } cases[] = {
        {"0x41, 66 \"AB\",#FF0000 0b11", {65, 66, 65, 66, 255, 3}},
        {"1,,2  ,\t3", {1, 2, 3}},
        {"\"a b\" \"a,b\"", {97, 32, 98, 97, 44, 98}},
        {"\"\xE4\x80\"", {-28, -128}},  // bytes above 0x7F are signed
        {"\"\"", {}},
        {"", {}},
        {"  ,, ", {}},
        {"255 0xff 0XFF 0B101 #ff0000", {255, 255, 255, 5, 255}},
    };
    for (const Case& c : cases) {
        SNumList list;
        SString rejected("untouched");
        EXPECT_TRUE(list.parse(c.text, true, &rejected)) << c.text;
        EXPECT_EQ(entries(list), c.want) << c.text;
        EXPECT_STREQ(rejected.getChars(), "untouched");
    }
}

TEST(SNumList, ParseStopsAtTheFirstRejectedToken) {
    struct Case {
        const char* text;
        const char* rejected;
        std::vector<int> kept;
        std::vector<int> withoutCheck;  // what the parse adds when no rejected string is given
    } cases[] = {
        {"12 zz 3", "zz", {12}, {12, 0, 3}},
        {"-5", "-5", {}, {-5}},
        {"1 12abc", "12abc", {1}, {1, 12}},
        {"0x", "0x", {}, {0}},
        {"0b2", "0b2", {}, {0}},
        {"#12345", "#12345", {}, {0}},
        {"7 \"AB", "\"AB", {7}, {7, 0}},  // an unclosed quote is a token of its own, not lost
        {"\"", "\"", {}, {0}},
        {"1 \xB3\xB3k\xB3\xB3v", "\xB3\xB3k\xB3\xB3v", {1}, {1, 0}},  // shown as typed
    };
    for (const Case& c : cases) {
        SNumList list;
        SString rejected;
        EXPECT_FALSE(list.parse(c.text, true, &rejected)) << c.text;
        EXPECT_STREQ(rejected.getChars(), c.rejected) << c.text;
        EXPECT_EQ(entries(list), c.kept) << c.text;

        SNumList unchecked;
        EXPECT_TRUE(unchecked.parse(c.text)) << c.text;
        EXPECT_EQ(entries(unchecked), c.withoutCheck) << c.text;
    }
}

TEST(SNumList, ParseAppendsUnlessToldToClear) {
    SNumList list;
    list.add(9);
    EXPECT_TRUE(list.parse("1 2", false));
    EXPECT_EQ(entries(list), (std::vector<int>{9, 1, 2}));
    EXPECT_TRUE(list.parse("3"));
    EXPECT_EQ(entries(list), (std::vector<int>{3}));
}

TEST(SNumList, SplitConvertsEachPiece) {
    struct Case {
        const char* text;
        const char* separator;
        std::vector<int> want;
    } cases[] = {
        {"1,2,", ",", {1, 2}},
        {"1,,2", ",", {1, 0, 2}},
        {"", ",", {}},
        {",", ",", {0}},
        {"0x10;;#0000FF;;0b101", ";;", {16, 0xFF0000, 5}},
        {"7", "", {}},  // an empty separator is refused
    };
    for (const Case& c : cases) {
        SNumList list;
        list.add(99);
        EXPECT_EQ(list.split(c.text, c.separator), int(c.want.size())) << c.text;
        EXPECT_EQ(entries(list), c.want) << c.text;
    }
}

TEST(SNumList, IndexErrorsNameTheClass) {
    ScriptedDialogs dialogs;
    SNumList list;
    list.add(4);
    list.add(5);
    EXPECT_EQ(list.getAt(9), 5);
    EXPECT_FALSE(list.setAt(2, 1));
    EXPECT_EQ(list.insertAt(3, 1), -1);
    EXPECT_FALSE(list.removeAt(-1));
    ASSERT_EQ(dialogs.boxes.size(), 4u);
    const char* methods[] = {"getAt", "getAt", "insertAt", "removeAt"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(dialogs.boxes[i].text.find(std::string("SNumList.") + methods[i] + "(..)"),
                  std::string::npos);
        EXPECT_NE(dialogs.boxes[i].text.find("m\xF6glich ist: 0...1"), std::string::npos);
    }
    SNumList empty;
    empty.getAt(0) = 42;
    EXPECT_EQ(empty.getAt(0), 0);
    EXPECT_EQ(entries(list), (std::vector<int>{4, 5}));
}

TEST(SNumList, ListOperationsAndSort) {
    SNumList list;
    for (int v : {5, -3, 5, 100, 0, 5})
        list.add(v);
    EXPECT_EQ(list.add(100, true), 3);
    EXPECT_EQ(list.find(5, 1), 2);
    EXPECT_EQ(list.removeAll(5), 3);
    EXPECT_EQ(list.insertAt(1, 7), 1);
    EXPECT_EQ(entries(list), (std::vector<int>{-3, 7, 100, 0}));
    list.sort(1);
    EXPECT_EQ(entries(list), (std::vector<int>{-3, 0, 7, 100}));
    list.sort(-1);
    EXPECT_EQ(entries(list), (std::vector<int>{100, 7, 0, -3}));
    SNumList copy(list);
    list.clear();
    EXPECT_EQ(copy.getCount(), 4);
}

TEST(SPointerList, HoldsPointersWithoutOwningThem) {
    ScriptedDialogs dialogs;
    int a = 0, b = 0, c = 0;
    SPointerList list;
    list.add(&b);
    list.add(&a);
    EXPECT_EQ(list.add(&b, true), 0);
    EXPECT_EQ(list.insertAt(1, &c), 1);
    EXPECT_EQ(list.find(&a), 2);
    EXPECT_EQ(list.getAt(7), &a);
    EXPECT_NE(dialogs.boxes.at(0).text.find("SPointerList.getAt(..)"), std::string::npos);
    list.add(&b);
    EXPECT_EQ(list.removeAll(&b), 2);
    list.sort(1);
    EXPECT_LT(list.getAt(0), list.getAt(1));
    list.clear();
    EXPECT_EQ(list.getAt(0), nullptr);
}
