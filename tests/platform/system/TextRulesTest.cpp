// The two case rules differ where names meet text beyond ASCII, and the INI line rules
// are those of hand-edited files.

#include "platform/system/TextRules.h"

#include <gtest/gtest.h>

namespace {

using platform::TIniLine;

TEST(TextRules, AsciiCaseFoldsOnlyTheLatinLettersAndUnicodeCaseFoldsTheRest) {
    EXPECT_TRUE(platform::SameTextAscii("TRectangleRuler", "trectangleruler"));
    EXPECT_FALSE(platform::SameTextAscii("Straße", "STRASSE"));
    EXPECT_FALSE(platform::SameTextAscii("Ärger", "ärger"))
        << "UTF-8 bytes are compared as they are";
    EXPECT_TRUE(platform::SameTextUnicode("Ärger", "ärger"));
    EXPECT_TRUE(platform::SameTextUnicode("DejaVu Sans", "dejavu sans"));
    EXPECT_FALSE(platform::SameTextAscii("Width", "Widt"));
    // Digits before letters before "_", as properties are listed.
    EXPECT_LT(platform::CompareTextAscii("a1", "AB"), 0);
    EXPECT_LT(platform::CompareTextAscii("AZ", "a_"), 0);
    EXPECT_EQ(platform::CompareTextAscii("Angle", "ANGLE"), 0);
    EXPECT_EQ(platform::UpperCaseAscii(".mpeg"), ".MPEG");
    EXPECT_EQ(platform::LowerCaseAscii("Charset=UTF-8 Ä"), "charset=utf-8 Ä");
    EXPECT_EQ(platform::FoldCaseUnicode("Ärger"), platform::FoldCaseUnicode("äRGER"));
}

TEST(TextRules, ReplaceAllNeverReplacesWhatItBroughtIn) {
    EXPECT_EQ(platform::ReplaceAll("a\"b\"", "\"", "\"\""), "a\"\"b\"\"");
    EXPECT_EQ(platform::ReplaceAll("#13#10x#13#10", "#13#10", "\r\n"), "\r\nx\r\n");
    EXPECT_EQ(platform::ReplaceAll("abc", "x", "y"), "abc");
}

TEST(TextRules, IniLinesAreTrimmedAndTold) {
    EXPECT_EQ(platform::TrimBlanks("\t key \r"), "key");
    EXPECT_EQ(platform::ParseIniLine("  ").Kind, TIniLine::Empty);
    EXPECT_EQ(platform::ParseIniLine(" ; note").Kind, TIniLine::Comment);
    EXPECT_EQ(platform::ParseIniLine("no equals sign").Kind, TIniLine::Other);

    const TIniLine entry = platform::ParseIniLine("\tCaption = 确定 = OK \r");
    EXPECT_EQ(entry.Kind, TIniLine::Entry);
    EXPECT_EQ(entry.Name, "Caption");
    EXPECT_EQ(entry.Value, "确定 = OK");

    const TIniLine whole = platform::ParseIniLine(" [ Language ] ");
    EXPECT_EQ(whole.Kind, TIniLine::Section);
    EXPECT_EQ(whole.Name, "Language");
    EXPECT_TRUE(whole.ClosedAtEnd);
    const TIniLine trailed = platform::ParseIniLine("[Language] ; the folder");
    EXPECT_EQ(trailed.Kind, TIniLine::Section);
    EXPECT_EQ(trailed.Name, "Language");
    EXPECT_FALSE(trailed.ClosedAtEnd);
    EXPECT_EQ(platform::ParseIniLine("[a=b").Kind, TIniLine::Section) << "never an entry";
}

} // namespace
