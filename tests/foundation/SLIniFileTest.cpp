#include "foundation/SLIniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {
// "中文" in the encodings a language file may arrive in.
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kChineseGb18030 = "\xD6\xD0\xCE\xC4";

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string bytes;
    for (char c : ascii) {
        bytes.push_back(bigEndian ? '\0' : c);
        bytes.push_back(bigEndian ? c : '\0');
    }
    return bytes;
}

struct TEncodedFile {
    const char* Name;
    std::string Bytes;
};
} // namespace

class SLIniFileEncodings : public ::testing::TestWithParam<TEncodedFile> {};

TEST_P(SLIniFileEncodings, ReadsTheFile) {
    TTempFolder folder;
    folder.WriteBytes("lang.lng", GetParam().Bytes);
    TSLMemIniFile ini(folder.File("lang.lng"));
    EXPECT_EQ(ini.ReadString("Language", "Name", "?"), GetParam().Name);
    EXPECT_EQ(ini.ReadString("TForm1", "Caption", "?"), "Hello");
}

INSTANTIATE_TEST_SUITE_P(
    Marks, SLIniFileEncodings,
    ::testing::Values(
        TEncodedFile{"LE",
                     "\xFF\xFE" +
                         Utf16("[Language]\r\nName=LE\r\n[TForm1]\r\nCaption=Hello\r\n", false)},
        TEncodedFile{"BE",
                     "\xFE\xFF" +
                         Utf16("[Language]\r\nName=BE\r\n[TForm1]\r\nCaption=Hello\r\n", true)},
        TEncodedFile{"BOM8", "\xEF\xBB\xBF[Language]\nName=BOM8\n[TForm1]\nCaption=Hello\n"},
        TEncodedFile{"Plain", "[Language]\nName=Plain\n[TForm1]\nCaption=Hello"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SLIniFileChinese, UnmarkedUtf8AndGb18030BothRead) {
    TTempFolder folder;
    folder.WriteBytes("utf8.lng", "[TAppStr]\r\nAppTitle=" + kChineseUtf8 + "\r\n");
    folder.WriteBytes("gb.lng", "[TAppStr]\r\nAppTitle=" + kChineseGb18030 + "\r\n");
    EXPECT_EQ(TSLMemIniFile(folder.File("utf8.lng")).ReadString("TAppStr", "AppTitle", ""),
              kChineseUtf8);
    EXPECT_EQ(TSLMemIniFile(folder.File("gb.lng")).ReadString("TAppStr", "AppTitle", ""),
              kChineseUtf8);
}

TEST(SLIniFileParsing, TrimsSkipsCommentsAndMatchesNamesWithoutCase) {
    TSLMemIniFile ini("");
    ini.SetText("orphan=dropped\r\n"
                "  [ Main ]  \r\n"
                "; a comment=no\r\n"
                "\tKey One =  value with inner  blanks \t\r\n"
                "no equals sign\r\n"
                "Empty=\r\n"
                "key one=second is ignored\r\n"
                "[main]\r\n"
                "Later=continues Main\r\n");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"Main"});
    EXPECT_EQ(ini.ReadString("MAIN", "KEY ONE", "?"), "value with inner  blanks");
    EXPECT_EQ(ini.ReadString("main", "empty", "?"), "");
    EXPECT_EQ(ini.ReadString("main", "later", "?"), "continues Main");
    EXPECT_EQ(ini.ReadString("main", "orphan", "?"), "?");
    EXPECT_EQ(ini.ReadString("Main", "; a comment", "?"), "?");
    EXPECT_EQ(ini.ReadSection("Main"), (std::vector<std::string>{"Key One", "Empty", "Later"}));
}

TEST(SLIniFileWriting, AppendsInFirstWrittenOrderAndMovesErasedSectionsToTheEnd) {
    TSLMemIniFile ini("");
    ini.WriteString("B", "x", "1");
    ini.WriteString("A", "y", "2");
    ini.WriteString("b", "X", "3"); // replaces, keeps the first spelling and place
    ini.WriteString("B", "z", "4");
    EXPECT_EQ(ini.GetText(), "[B]\r\nx=3\r\nz=4\r\n\r\n[A]\r\ny=2\r\n\r\n");
    ini.EraseSection("b");
    ini.WriteString("B", "z", "5");
    EXPECT_EQ(ini.GetText(), "[A]\r\ny=2\r\n\r\n[B]\r\nz=5\r\n\r\n");
    ini.EraseSection("missing");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B"}));
}

TEST(SLIniFileWriting, ARawLineBreakNeverSplitsAnEntry) {
    TSLMemIniFile ini("");
    ini.WriteString("S", "k", "one\n[Injected]\nevil=1");
    TSLMemIniFile again("");
    again.SetText(ini.GetText());
    EXPECT_FALSE(again.SectionExists("Injected"));
    EXPECT_EQ(again.ReadString("S", "k", "?"), "one [Injected] evil=1");
}

TEST(SLIniFileNumbers, BooleansAndIntegers) {
    TSLMemIniFile ini("");
    ini.SetText("[S]\nyes=1\nno=0\nodd=7\nword=true\nhex=$1F\nneg=-3\n");
    EXPECT_TRUE(ini.ReadBool("S", "yes", false));
    EXPECT_FALSE(ini.ReadBool("S", "no", true));
    EXPECT_TRUE(ini.ReadBool("S", "odd", false));
    EXPECT_FALSE(ini.ReadBool("S", "word", false));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));
    EXPECT_FALSE(ini.ReadBool("S", "absent", false));
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "neg", 0), -3);
    ini.WriteBool("S", "flag", true);
    ini.WriteInteger("S", "count", -12);
    EXPECT_EQ(ini.ReadString("S", "flag", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "count", ""), "-12");
}

TEST(SLIniFileDisk, WritesUtf16LeWithMarkAndReadsItBack) {
    TTempFolder folder;
    TSLMemIniFile ini(folder.File("out.lng"));
    ini.WriteString("TAppStr", "AppTitle", "Tarsel" + kChineseUtf8);
    ini.UpdateFile();
    const std::string bytes = folder.ReadBytes("out.lng");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));
    EXPECT_EQ(TSLMemIniFile(folder.File("out.lng")).ReadString("tappstr", "apptitle", ""),
              "Tarsel" + kChineseUtf8);
}

TEST(SLIniFileDisk, MissingFileIsEmptyAndUnwritablePathThrows) {
    TTempFolder folder;
    TSLMemIniFile ini(folder.File("none/missing.lng"));
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.WriteString("A", "b", "c");
    EXPECT_THROW(ini.UpdateFile(), std::exception);
}

TEST(SLIniFileChinese, AlmostAllUtf8IsUtf8AndOnlyTheStrayBytesAreReplaced) {
    const std::string replacement = "\xEF\xBF\xBD"; // U+FFFD
    TTempFolder folder;
    folder.WriteBytes("stray.lng", "; caf\xE9\r\n[TAppStr]\r\nAppTitle=" + kChineseUtf8 +
                                       "\r\nNote=a\xFF"
                                       "b\r\n");
    const TSLMemIniFile ini(folder.File("stray.lng"));
    EXPECT_EQ(ini.ReadString("TAppStr", "AppTitle", ""), kChineseUtf8);
    EXPECT_EQ(ini.ReadString("TAppStr", "Note", ""), "a" + replacement + "b");

    // Text in the Chinese code page, even with a pair that happens to look like UTF-8
    // ("\xC4\xA3"), is still read in that code page.
    folder.WriteBytes("gb.lng", "[TAppStr]\r\nAppTitle=" + kChineseGb18030 + "\xC4\xA3" +
                                    kChineseGb18030 + "\r\n");
    EXPECT_EQ(TSLMemIniFile(folder.File("gb.lng")).ReadString("TAppStr", "AppTitle", ""),
              kChineseUtf8 + "\xE6\xA8\xA1" + kChineseUtf8); // 模
}

TEST(SLIniFileIndex, ManyKeysLoadInOrderAndEveryLookupFindsItsOwn) {
    constexpr int kKeys = 80000;
    std::string text = "[Big]\r\n";
    for (int i = 0; i < kKeys; ++i)
        text += "Key" + std::to_string(i) + "=Value " + std::to_string(i) + "\r\n";
    text += "\r\n[Small]\r\nkey7=other\r\n\r\n";
    TSLMemIniFile ini("");
    ini.SetText(text);
    const std::vector<std::string> keys = ini.ReadSection("Big");
    ASSERT_EQ(keys.size(), std::size_t(kKeys));
    for (int i = 0; i < kKeys; i += 997) {
        EXPECT_EQ(keys[std::size_t(i)], "Key" + std::to_string(i));
        EXPECT_EQ(ini.ReadString("big", "KEY" + std::to_string(i), "?"),
                  "Value " + std::to_string(i));
    }
    EXPECT_EQ(ini.ReadString("Small", "Key7", "?"), "other");
    // Written out, the text is the file again, byte for byte.
    EXPECT_TRUE(ini.GetText() == text);
}

TEST(SLIniFileIndex, ErasingAndRewritingKeepsTheIndexRight) {
    TSLMemIniFile ini("");
    ini.SetText("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n");
    ini.EraseSection("a");
    EXPECT_EQ(ini.ReadString("B", "y", "?"), "2");
    EXPECT_EQ(ini.ReadString("C", "z", "?"), "3");
    ini.WriteString("B", "Y", "4");
    ini.WriteString("A", "x", "5");
    EXPECT_EQ(ini.GetText(), "[B]\r\ny=4\r\n\r\n[C]\r\nz=3\r\n\r\n[A]\r\nx=5\r\n\r\n");
    ini.EraseSection("C");
    ini.EraseSection("B");
    EXPECT_EQ(ini.ReadString("A", "X", "?"), "5");
    EXPECT_FALSE(ini.SectionExists("b"));
}
