#include "SMapNumToString.h"
#include "SMapStringToNum.h"
#include "SMapStringToString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairs(const SMapStringToString& map) {
    Pairs out;
    for (int i = 0; i < map.getCount(); ++i)
        out.emplace_back(map.keyAt(i).getChars(), map.valueAt(i).getChars());
    return out;
}

}  // namespace

TEST(SMapStringToString, KeepsInsertionOrderAndUniqueKeys) {
    SMapStringToString map;
    EXPECT_TRUE(map.set("b", "1"));
    EXPECT_TRUE(map.set("a", "2"));
    EXPECT_TRUE(map.set("B", "3"));  // keys are case-sensitive
    EXPECT_FALSE(map.set("b", "4"));
    EXPECT_EQ(pairs(map), (Pairs{{"b", "4"}, {"a", "2"}, {"B", "3"}}));

    SString value;
    EXPECT_TRUE(map.lookup("a", value));
    EXPECT_STREQ(value.getChars(), "2");
    EXPECT_FALSE(map.lookup("x", value));
    EXPECT_EQ(map.remove("x"), -1);
    EXPECT_EQ(map.remove("b"), 0);
    EXPECT_EQ(pairs(map), (Pairs{{"a", "2"}, {"B", "3"}}));

    SString key;
    EXPECT_TRUE(map.entryAt(1, key, value));
    EXPECT_STREQ(key.getChars(), "B");
    EXPECT_FALSE(map.entryAt(2, key, value));
    EXPECT_STREQ(map.keyAt(-1).getChars(), "");
    EXPECT_STREQ(map.valueAt(5).getChars(), "");
    EXPECT_STREQ(map.join("=", "&").getChars(), "a=2&B=3");
    map.clear();
    EXPECT_EQ(map.getCount(), 0);
    EXPECT_STREQ(map.join("=", "&").getChars(), "");
}

TEST(SMapStringToString, GetCreatesOnlyWhenAsked) {
    SMapStringToString map;
    map.setEmptyValue("?");
    EXPECT_STREQ(map.get("x").getChars(), "?");
    EXPECT_EQ(map.getCount(), 0);
    map.get("x", true).append("!");
    EXPECT_EQ(pairs(map), (Pairs{{"x", "?!"}}));
    SMapStringToString copy(map);
    map.clear();
    EXPECT_EQ(pairs(copy), (Pairs{{"x", "?!"}}));
}

TEST(SMapStringToString, ParseReadsPairsAndRejectsPiecesWithoutKey) {
    struct Case {
        const char* text;
        const char* pairSeparator;
        const char* keySeparator;
        int result;
        Pairs want;
    } cases[] = {
        {"a=1&b=2", "&", "=", 2, {{"a", "1"}, {"b", "2"}}},
        {"a&b=1", "&", "=", -1, {}},
        {"a=1&b&c=3", "&", "=", -1, {{"a", "1"}}},  // pairs before the fault stay
        {"a=1&b", "&", "=", -1, {{"a", "1"}}},
        {"a=1&", "&", "=", 1, {{"a", "1"}}},
        {"", "&", "=", 0, {}},
        {"=", "&", "=", 1, {{"", ""}}},
        {"a=b=c&d=", "&", "=", 2, {{"a", "b=c"}, {"d", ""}}},
        {"a=1&a=2", "&", "=", 2, {{"a", "2"}}},
        {"lang=de;respfad=file://localhost/C:/p/",
         ";",
         "=",
         2,
         {{"lang", "de"}, {"respfad", "file://localhost/C:/p/"}}},
        {"k::v||k2::v2", "||", "::", 2, {{"k", "v"}, {"k2", "v2"}}},
        {"a=1", "", "=", -1, {}},
        {"a=1", "&", "", -1, {}},
    };
    for (const Case& c : cases) {
        SMapStringToString map;
        map.set("old", "x");
        EXPECT_EQ(map.parse(c.text, c.pairSeparator, c.keySeparator), c.result) << c.text;
        EXPECT_EQ(pairs(map), c.want) << c.text;
    }
    SMapStringToString kept;
    kept.set("old", "x");
    EXPECT_EQ(kept.parse("a=1", "&", "=", false), 1);
    EXPECT_EQ(pairs(kept), (Pairs{{"old", "x"}, {"a", "1"}}));
}

TEST(SMapStringToString, SubstituteReplacesEveryPlaceholder) {
    SMapStringToString map;
    map.set("port", "COM3");
    map.set("lang", "de");
    map.set("x", "%lang%");  // inserted text is searched only by later pairs
    struct Case {
        const char* text;
        const char* prefix;
        const char* suffix;
        const char* want;
    } cases[] = {
        {"Port: %port%", "%", "%", "Port: COM3"},
        {"%port%/%port%%lang%", "%", "%", "COM3/COM3de"},
        {"%x%", "%", "%", "%lang%"},
        {"%missing% %port", "%", "%", "%missing% %port"},
        {"{port} %port%", "{", "}", "COM3 %port%"},
        {"port", "", "", "COM3"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(map.substitute(c.text, c.prefix, c.suffix).getChars(), c.want) << c.text;
}

TEST(SMapNumToString, MapsNumbersToTexts) {
    SMapNumToString map;
    EXPECT_TRUE(map.set(1500, "a"));
    EXPECT_TRUE(map.set(-2, "b"));
    EXPECT_FALSE(map.set(1500, "c"));
    EXPECT_STREQ(map.get(7).getChars(), "");
    EXPECT_EQ(map.getCount(), 2);
    map.get(7, true) = "d";
    EXPECT_STREQ(map.join(":", ",").getChars(), "1.500:c,-2:b,7:d");
    EXPECT_EQ(map.keyAt(9), 0);
    EXPECT_EQ(map.remove(-2), 1);
    EXPECT_EQ(map.remove(-2), -1);
    int key = 0;
    SString value;
    EXPECT_TRUE(map.entryAt(1, key, value));
    EXPECT_EQ(key, 7);
    EXPECT_STREQ(value.getChars(), "d");
    EXPECT_TRUE(map.lookup(1500, value));
    EXPECT_STREQ(value.getChars(), "c");
}

TEST(SMapStringToNum, MapsTextsToNumbers) {
    SMapStringToNum map;
    EXPECT_TRUE(map.set("big", 1234567));
    EXPECT_TRUE(map.set("neg", -5));
    EXPECT_FALSE(map.set("neg", -6));
    EXPECT_EQ(map.get("none"), 0);
    map.get("none") = 9;  // scribbling on the spare changes nothing
    EXPECT_EQ(map.get("none"), 0);
    map.get("new", true) += 3;
    EXPECT_STREQ(map.join("=", ";").getChars(), "big=1.234.567;neg=-6;new=3");
    int value = 0;
    EXPECT_TRUE(map.lookup("new", value));
    EXPECT_EQ(value, 3);
    EXPECT_STREQ(map.keyAt(3).getChars(), "");
    EXPECT_EQ(map.valueAt(-1), 0);
    EXPECT_EQ(map.remove("big"), 0);
    EXPECT_EQ(map.getCount(), 2);
}

TEST(Maps, ManyPairsStayInOrderThroughGrowthAndShrinking) {
    SMapStringToString map;
    EXPECT_EQ(map.getCapacity(), 0);
    for (int i = 0; i < 500; ++i)
        map.set(SString::fromInt(i, false), SString::fromInt(i * 2, false));
    for (int i = 0; i < 500; i += 2)
        map.remove(SString::fromInt(i, false));
    ASSERT_EQ(map.getCount(), 250);
    for (int i = 0; i < 250; ++i) {
        EXPECT_EQ(map.keyAt(i).toInt(), 2 * i + 1);
        EXPECT_EQ(map.valueAt(i).toInt(), 4 * i + 2);
    }
    EXPECT_LE(map.getCapacity(), 250 + 150);
}
