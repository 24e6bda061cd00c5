#include "foundation/SLSysUtils.h"

#include <gtest/gtest.h>
#include <regex>

TEST(SLStrfnLineBreaks, EscapesOnlyWholeCrLfPairs) {
    EXPECT_EQ(TSLStrfn::DecodeLineBreaks("a#13#10b#13#10"), "a\r\nb\r\n");
    EXPECT_EQ(TSLStrfn::EncodeLineBreaks("lone\nLF and lone\rCR"), "lone\nLF and lone\rCR");
    EXPECT_EQ(TSLStrfn::EncodeLineBreaks("\r\r\n\n"), "\r#13#10\n");
    EXPECT_EQ(TSLStrfn::DecodeLineBreaks("#13#1"), "#13#1");
    const std::string text = "line one\r\nline two\n\r end";
    EXPECT_EQ(TSLStrfn::DecodeLineBreaks(TSLStrfn::EncodeLineBreaks(text)), text);
}

TEST(SLStrfnFileNames, StripsFolderAndLastExtension) {
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("/opt/tarsel/TarselRuler.exe"), "TarselRuler");
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("/opt/tarsel/archive.tar.gz"), "archive.tar");
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("/home/u/.hidden"), "");
    // Backslashes and colons belong to the name: a program called "v1:beta" or "a\b".
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("/opt/v1:beta.exe"), "v1:beta");
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("/opt/a\\b.c"), "a\\b");
    EXPECT_EQ(TSLStrfn::ExtractFileNameNoExt("noext"), "noext");
}

TEST(SLStrfnIndexOfStr, FirstMatchWithAsciiFolding) {
    const std::vector<std::string> list{"x", "ABC", "abc"};
    EXPECT_EQ(TSLStrfn::IndexOfStr("abc", list, true), 2);
    EXPECT_EQ(TSLStrfn::IndexOfStr("abc", list, false), 1);
    EXPECT_EQ(TSLStrfn::IndexOfStr("abc", {}, false), -1);
    // Only ASCII letters fold: "É" and "é" stay different.
    EXPECT_EQ(TSLStrfn::IndexOfStr("é", {"É"}, false), -1);
}

TEST(SLStrfnGuid, RegistryFormUpperCase) {
    const std::string guid = TSLStrfn::NewGuidString();
    EXPECT_TRUE(std::regex_match(
        guid, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
        << guid;
    EXPECT_NE(guid, TSLStrfn::NewGuidString());
}
