#include "SError.h"
#include "SSystem.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>

namespace {
class SErrorTest : public ::testing::Test {
protected:
    SError errors;
    ScriptedDialogs boxes;
};
}  // namespace

TEST_F(SErrorTest, LogKeepsEachEntryOnceWithContinuationLinesIndented) {
    errors.logError("  Datei fehlt  ");
    errors.logError("Datei fehlt");
    errors.logError("erste Zeile\r\nzweite Zeile");
    errors.logError("Port", 2);
    errors.logError("Datei");  // part of an earlier entry, but an entry of its own
    std::string want =
        "\r\nDatei fehlt"
        "\r\nerste Zeile\r\n\tzweite Zeile"
        "\r\nPort\r\n\tFehlernummer: 2\r\n\t" +
        std::string(SSystem::getErrorText(2).getChars()) + "\r\nDatei";
    EXPECT_EQ(std::string(errors.log), want);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SErrorTest, ShowLogShowsNothingForAnEmptyLogAndEverythingOtherwise) {
    errors.showLog();
    EXPECT_TRUE(boxes.boxes.empty());

    errors.logError("A");
    errors.logError("B");
    errors.showLog();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Folgende Fehler sind w\xE4hrend der Abarbeitung des Programmes protokolliert worden:\r\n"
              "\r\nA\r\nB");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

TEST_F(SErrorTest, ShowErrorAppendsTheErrorNumberAndTheSystemText) {
    ASSERT_FALSE(SSystem::getErrorText(2).isEmpty());
    boxes.answers.push_back(IDCANCEL);
    EXPECT_EQ(errors.showError("Datei nicht gefunden", 2), IDCANCEL);
    errors.showError("Frage", 0, "Info", MB_OK | MB_ICONINFORMATION);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Datei nicht gefunden\r\n Fehlernummer: 2\r\n" +
                                       std::string(SSystem::getErrorText(2).getChars()));
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes.boxes[1].text, "Frage");
    EXPECT_EQ(boxes.boxes[1].caption, "Info");
    EXPECT_EQ(boxes.boxes[1].flags, unsigned(MB_OK | MB_ICONINFORMATION));
}
