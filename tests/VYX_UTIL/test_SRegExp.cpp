#include "SRegExp.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

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

// The status line that closes a command answer; the delimiter is the section sign.
const char* const STATUS_PATTERN = "\xA7(.*<br>|^)\\{([0-9A-F]{2})\\}(([ \\S]+ERROR)|(OK))$\xA7";

}  // namespace

TEST(SRegExp, FindAllCollectsWholeMatchesAndGroups) {
    struct Case {
        const char* subject;
        const char* pattern;
        int count;
        Strings want;
    } cases[] = {
        {"1F!0a!", "/([0-9a-f]{2})!/i", 2, {"1F!", "1F", "0a!", "0a"}},
        {"1F!0a!", "/([0-9a-f]{2})!/", 1, {"0a!", "0a"}},
        {"x12345678!9abcdef0!",
         "/(?:[0-9a-f]{6})([0-9a-f]{2})!/i",
         2,
         {"12345678!", "78", "9abcdef0!", "f0"}},
        {"nothing here", "/([0-9a-f]{2})!/i", 0, {}},
        {"ab", "/(a)|(b)/", 2, {"a", "a", "b", "", "b"}},  // a group that did not take part gives ""
        {"a1b", "/(x)?\\d/", 1, {"1"}},  // groups after the last one that matched give no entry
        {"A\nb", "/^b/m", 1, {"b"}},
        {"A\nb", "/^b/", 0, {}},
        {"a\nb", "/a.b/s", 1, {"a\nb"}},
        {"aaa", "/a+/U", 3, {"a", "a", "a"}},
        {"abc", "/ b c # comment\n/x", 1, {"bc"}},
        {"xab", "/ab/A", 0, {}},
        {"ab\n", "/b$/D", 0, {}},
        {"ab\n", "/b$/", 1, {"b"}},
        {"caf\xC3\xA9!", "/\\w+!/u", 0, {}},  // \w is ASCII-only here; the byte pair is one character
        {"caf\xC3\xA9!", "/f.!/u", 1, {"f\xC3\xA9!"}},
        {"abc", "/b/ignored-letters-are-fine", 1, {"b"}},
        {"a/b", "/a/b/", 1, {"a/b"}},   // the pattern runs to the last delimiter
        {"x/abc", "/abc", 1, {"abc"}},  // a single delimiter: all of the rest is pattern
        {"abc", "", 1, {""}},           // an empty pattern matches once, empty, and the anchored retry fails
    };
    for (const Case& c : cases) {
        SRegExp re;
        SStringList results;
        results.add("kept");
        EXPECT_EQ(re.findAll(c.subject, c.pattern, results), c.count) << c.pattern;
        Strings want{"kept"};
        want.insert(want.end(), c.want.begin(), c.want.end());
        EXPECT_EQ(entries(results), want) << c.pattern << " on " << c.subject;
    }
}

TEST(SRegExp, EmptyMatchesEndTheWalk) {
    ScriptedDialogs dialogs;
    struct Case {
        const char* subject;
        const char* pattern;
        int count;
    } cases[] = {
        {"axa", "/x*/", 1},        // empty at 0, then the anchored non-empty retry at 0 fails
        {"xxa", "/x*/", 2},        // "xx", an empty match at 2, then "a" is not x
        {"", "/x*/", 1},           // an empty match at the end stops at once
        {"aaa", "/(?=a\\K)/", 3},  // a start reported behind the end must not loop
    };
    for (const Case& c : cases) {
        SRegExp re;
        SStringList results;
        EXPECT_EQ(re.findAll(c.subject, c.pattern, results), c.count) << c.pattern << " on " << c.subject;
        EXPECT_EQ(results.getCount(), c.count);
    }
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(SRegExp, FindOneAndGetResults) {
    SRegExp re;
    SStringList results;
    EXPECT_EQ(re.getResults(results), 0);
    EXPECT_EQ(re.findOne("Zyntra V1.9 boot V2.5 ok", "/.*V(\\d+\\.\\d)/"), 0);
    EXPECT_EQ(re.getResults(results), 2);
    EXPECT_EQ(entries(results), (Strings{"Zyntra V1.9 boot V2.5", "2.5"}));

    EXPECT_EQ(re.findOne("1F!0a!", "/([0-9a-f]{2})!/i", 1), 3);
    EXPECT_EQ(re.getMatchStart(1), 3);
    EXPECT_EQ(re.getMatchEnd(1), 5);
    EXPECT_EQ(re.findOne("1F!0a!", "/zz/"), -1);
    results.clear();
    EXPECT_EQ(re.getResults(results), 0) << "a failed search leaves no results";
    EXPECT_EQ(results.getCount(), 0);
}

TEST(SRegExp, StatusLinePatternFindsTheLastQualifyingCode) {
    struct Case {
        const char* answer;
        int where;
        const char* code;
    } cases[] = {
        {"{0A}OK", 0, "0A"},           {"data<br>{1F} Bad command ERROR", 0, "1F"},
        {"{00}OK<br>{3C}OK", 0, "3C"}, {"{0a}OK", -1, nullptr},
        {"x{0A}OK", -1, nullptr},      {"{0A}OK ", -1, nullptr},
        {"{0A}ERROR", -1, nullptr},  // at least one character before ERROR
    };
    for (const Case& c : cases) {
        SRegExp re;
        EXPECT_EQ(re.findOne(c.answer, STATUS_PATTERN), c.where) << c.answer;
        if (c.code == nullptr) continue;
        SStringList results;
        re.getResults(results);
        ASSERT_GE(results.getCount(), 3);
        EXPECT_STREQ(results.getAt(2).getChars(), c.code) << c.answer;
    }
}

TEST(SRegExp, ReplaceTakesTheReplacementLiterally) {
    struct Case {
        const char* subject;
        const char* pattern;
        const char* replacement;
        const char* want;
    } cases[] = {
        {"aXa", "/a/", "b", "bXb"},
        {"aaa", "/^a/", "b", "bbb"},  // each remainder is a text of its own
        {"a1b22", "/(\\d+)/", "<$1\\1>", "a<$1\\1>b<$1\\1>"},
        {"none", "/x/", "y", "none"},
        {"", "/x/", "y", ""},
        {"abc", "/x*/", "-", "-abc"},
        {"xxa", "/x*/", "-", "--a"},
        {"ab", "/(?<=a)b/", "!", "a!"},
        {"x\xB3\xB3k\xB3\xB3v", "/x/", "-", "-\xB3\xB3k\xB3\xB3v"},  // data is not a literal to translate
    };
    for (const Case& c : cases) {
        SRegExp re;
        EXPECT_STREQ(re.replace(c.subject, c.pattern, c.replacement).getChars(), c.want)
            << c.pattern << " on " << c.subject;
    }
}

TEST(SRegExp, SyntaxErrorsShowTheBoxAndFail) {
    ScriptedDialogs dialogs;
    SRegExp re;
    SStringList results;
    EXPECT_EQ(re.findAll("abc", "/a(b/i", results), 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const std::string& text = dialogs.boxes[0].text;
    const std::string head =
        "Fehlerhafte Syntax im regul\xE4ren Ausdruck:\r\na(b\r\n Modifier: i\r\n an Offset: 3\r\nFehler: ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_GT(text.size(), head.size()) << "the engine's error text follows";
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");
    EXPECT_EQ(dialogs.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(results.getCount(), 0);

    EXPECT_EQ(re.findOne("abc", "/[a/"), -1);
    EXPECT_STREQ(re.replace("abc", "/)/", "x").getChars(), "");
    EXPECT_EQ(re.findAll("a\\q", "/\\q/X", results), 0) << "X makes unknown escapes errors";
    EXPECT_EQ(re.findAll("aq", "/a\\q/", results), 1);
    EXPECT_EQ(dialogs.boxes.size(), 4u);
}

TEST(SRegExp, MatchErrorsShowTheEngineResult) {
    ScriptedDialogs dialogs;
    SRegExp re;
    EXPECT_EQ(re.findOne("abc", "/c/", 9), -1);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Fehler (-24)bei SString::match()");
    EXPECT_EQ(re.getMatchCount(), -24);

    SStringList results;
    EXPECT_EQ(re.findAll("ok \xFF\xFE", "/ok/u", results), 0) << "invalid UTF-8 is refused, not read past";
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[1].text, "Fehler (-10)bei SString::match()");
}

TEST(SRegExp, TooManyGroupsKeepTheFirst333Pairs) {
    ScriptedDialogs dialogs;
    std::string pattern = "/";
    for (int i = 0; i < 400; ++i)
        pattern += "(a)";
    pattern += "/";
    const std::string subject(400, 'a');
    SRegExp re;
    SStringList results;
    EXPECT_EQ(re.findAll(subject.c_str(), pattern.c_str(), results), 1);
    EXPECT_EQ(results.getCount(), 333);
    EXPECT_EQ(re.findOne(subject.c_str(), pattern.c_str()), 0);
    EXPECT_EQ(re.getMatchCount(), 333);
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].text, "Fehler: Zuviel Ergebnisse, es ist nur Platz f\xFCr 332 Elemente");
}
