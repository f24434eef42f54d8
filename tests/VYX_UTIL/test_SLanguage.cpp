#include "SLanguage.h"

#include <gtest/gtest.h>

#include <string>

namespace {
#define LIT(key, text) "\xB3\xB3" key "\xB3\xB3" text

class SLanguageTest : public ::testing::Test {
protected:
    void TearDown() override { table.clear(); }
    std::string tr(const char* text) { return table.translate(text); }
    SLanguage table;
};
}  // namespace

TEST_F(SLanguageTest, EmptyTableGivesDefaultTexts) {
    EXPECT_EQ(tr(LIT("Ende", "Ende")), "Ende");
    EXPECT_EQ(tr("\xB3\xB3"
                 "only a key"),
              "only a key");
    EXPECT_EQ(tr("plain \xB3\xB3 text"), "plain \xB3\xB3 text");
    EXPECT_EQ(tr(""), "");
    EXPECT_EQ(table.translate(nullptr), nullptr);
    EXPECT_EQ(table.languageCode, "de");
}

TEST_F(SLanguageTest, LoadedEntriesTranslateByExactKey) {
    table.load(
        SString("Ende=Exit\xB3\xB3\r\n"
                "Error0=short\xB3\xB3\r\n"
                "Text=a=b\xB3\xB3\r\n"
                "Two=line one\r\nline two\xB3\xB3\r\n"
                " Blank = x\xB3\xB3\r\n"
                "NoEquals\xB3\xB3"));
    struct Case {
        const char* literal;
        const char* want;
    } cases[] = {
        {LIT("Ende", "Ende"), "Exit"},
        {LIT("ende", "Ende"), "Ende"},           // keys are case-sensitive
        {LIT("Error05", "default"), "default"},  // a prefix key never matches a longer key
        {LIT("Error0", "x"), "short"},
        {LIT("Text", ""), "a=b"},
        {LIT("Two", ""), "line one\r\nline two"},
        {LIT("Blank ", ""), " x"},  // leading blanks are skipped, the rest is not trimmed
        {LIT("NoEquals", "d"), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tr(c.literal), c.want) << c.literal;
    EXPECT_EQ(table.getCount(), 6);
}

TEST_F(SLanguageTest, CommentsCountAsItemsAndEmptyKeysAreReported) {
    table.load(SString("=lost\xB3\xB3; comment\r\nKey=v\xB3\xB3# other\r\n=again\xB3\xB3"));
    EXPECT_EQ(tr(LIT("Key", "")), "v");
    EXPECT_EQ(table.getCount(), 1);
    EXPECT_EQ(table.loadErrors,
              "SLanguage::load(..) Eintrag Nr. 1 hat einen leeren Schl\xFCssel."
              "SLanguage::load(..) Eintrag Nr. 5 hat einen leeren Schl\xFCssel.");
}

TEST_F(SLanguageTest, LaterFilesAppendAndFirstEntryWins) {
    table.load(SString("A=first\xB3\xB3"));
    table.load(
        SString("A=second\xB3\xB3"
                "B=b\xB3\xB3"));
    EXPECT_EQ(tr(LIT("A", "")), "first");
    EXPECT_EQ(tr(LIT("B", "")), "b");
    table.clear();
    EXPECT_EQ(tr(LIT("A", "dflt")), "dflt");
}

TEST_F(SLanguageTest, ManyEntriesSurviveStoreGrowth) {
    SString file;
    for (int i = 0; i < 2000; ++i)
        file.appendFormat("Key%d=Text number %d\xB3\xB3\r\n", i, i);
    table.load(file);
    EXPECT_EQ(table.getCount(), 2000);
    EXPECT_EQ(tr(LIT("Key0", "")), "Text number 0");
    EXPECT_EQ(tr(LIT("Key1999", "")), "Text number 1999");
}

TEST_F(SLanguageTest, DisabledTranslationKeepsTheLiteral) {
    table.load(SString("Ende=Exit\xB3\xB3"));
    table.translationEnabled = 0;
    EXPECT_EQ(tr(LIT("Ende", "Ende")), LIT("Ende", "Ende"));
}
