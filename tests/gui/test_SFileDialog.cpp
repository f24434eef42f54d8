#include "SFileDialog.h"
#include "TempDir.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(SFileDialog, FilterTextBecomesPairsOfDescriptionAndPattern) {
    struct Case {
        const char* text;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const Case cases[] = {
        {"Skripte (*.txt)|*.txt|alle Dateien|*.*", {{"Skripte (*.txt)", "*.txt"}, {"alle Dateien", "*.*"}}},
        {"Texte|*.txt;*.log", {{"Texte", "*.txt;*.log"}}},
        // A trailing separator and a description without a pattern add nothing.
        {"Skripte|*.txt|", {{"Skripte", "*.txt"}}},
        {"Skripte|*.txt|alle", {{"Skripte", "*.txt"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        auto filters = SFileDialog::parseFilter(c.text);
        ASSERT_EQ(filters.size(), c.expected.size()) << c.text;
        for (size_t i = 0; i < filters.size(); ++i) {
            EXPECT_EQ(std::string(filters[i].name.getChars()), c.expected[i].first) << c.text;
            EXPECT_EQ(std::string(filters[i].pattern.getChars()), c.expected[i].second) << c.text;
        }
    }
}

TEST(SFileDialog, DefaultExtensionOnlyForANameWithoutOne) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/h/liste", "/h/liste.txt"},
        {"/h/liste.txt", "/h/liste.txt"},
        {"/h/liste.cmd", "/h/liste.cmd"},
        {"/h/liste.", "/h/liste.txt"},
        // A dot in a folder name or at the start of the name is no extension.
        {"/h/v1.2/liste", "/h/v1.2/liste.txt"},
        {"/h/.liste", "/h/.liste.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(SFileDialog::withDefaultExtension(c.path, "txt").getChars()), c.expected)
            << c.path;
    EXPECT_EQ(std::string(SFileDialog::withDefaultExtension("/h/liste", "").getChars()), "/h/liste");
}

class SFileDialogTest : public ::testing::Test {
protected:
    std::string file(const char* name) {
        std::string path = temp.path() + "/" + name;
        std::ofstream(path) << "x";
        return path;
    }
    SFileDialog dialog() {
        SFileDialog d;
        d.setFilter("Skripte (*.txt)|*.txt|alle Dateien|*.*");
        d.setTitle("Skript-Datei laden");
        d.setFile((temp.path() + "/alt.txt").c_str());
        d.setDefaultExtension("txt");
        return d;
    }

    TempDir temp;
    ScriptedDialogs boxes;
};

TEST_F(SFileDialogTest, OpenAcceptsOnlyAnExistingFile) {
    const std::string existing = file("skript.txt");
    const std::string missing = temp.path() + "/fehlt.txt";
    boxes.fileAnswers = {missing, temp.path(), existing};
    SFileDialog d = dialog();
    ASSERT_TRUE(d.showOpen());
    EXPECT_EQ(std::string(d.getPath().getChars()), existing);
    // The missing file and the folder were refused, each with a box, and the dialog came again.
    ASSERT_EQ(boxes.fileRequests.size(), 3u);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].caption, "Skript-Datei laden");
    EXPECT_NE(boxes.boxes[0].text.find(missing), std::string::npos);

    const FileDialogRequest& first = boxes.fileRequests[0];
    EXPECT_FALSE(first.save);
    EXPECT_EQ(std::string(first.title.getChars()), "Skript-Datei laden");
    EXPECT_EQ(std::string(first.proposedFile.getChars()), temp.path() + "/alt.txt");
    ASSERT_EQ(first.filters.size(), 2u);
    EXPECT_EQ(std::string(first.filters[0].pattern.getChars()), "*.txt");

    // Cancel yields nothing.
    ASSERT_FALSE(d.showOpen());
    EXPECT_TRUE(d.getPath().isEmpty());
}

TEST_F(SFileDialogTest, SaveAddsTheExtensionAndAsksBeforeOverwriting) {
    const std::string existing = file("liste.txt");
    // "liste" becomes the existing liste.txt: asked, answered No, so the dialog comes again;
    // then "neu" is new and taken without a question.
    boxes.fileAnswers = {temp.path() + "/liste", temp.path() + "/neu"};
    boxes.answers = {IDNO};
    SFileDialog d = dialog();
    ASSERT_TRUE(d.showSave());
    EXPECT_EQ(std::string(d.getPath().getChars()), temp.path() + "/neu.txt");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_YESNO | MB_ICONWARNING));
    EXPECT_NE(boxes.boxes[0].text.find(existing), std::string::npos);
    ASSERT_EQ(boxes.fileRequests.size(), 2u);
    EXPECT_TRUE(boxes.fileRequests[0].save);
    EXPECT_EQ(std::string(boxes.fileRequests[0].defaultExtension.getChars()), "txt");
    EXPECT_EQ(std::string(boxes.fileRequests[1].proposedFile.getChars()), existing);

    // Yes overwrites.
    boxes.boxes.clear();
    boxes.fileAnswers = {existing};
    boxes.answers = {IDYES};
    ASSERT_TRUE(d.showSave());
    EXPECT_EQ(std::string(d.getPath().getChars()), existing);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

}  // namespace
