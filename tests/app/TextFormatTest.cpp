// Translatable format strings: filled as written, and refused when they ask for a value
// that was not given.

#include "app/TextFormat.h"
#include "foundation/Exceptions.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFormat, FillsTextsNumbersAndPercentSigns) {
    EXPECT_EQ(FormatText("关于%s", {std::string("Tarsel桌面标尺")}), "关于Tarsel桌面标尺");
    EXPECT_EQ(FormatText("版本: %d.%d.%d.%d", {1LL, 0LL, 0LL, 110LL}), "版本: 1.0.0.110");
    EXPECT_EQ(FormatText("50%% %s", {std::string("x")}), "50% x");
    EXPECT_EQ(FormatText("no placeholder", {std::string("unused")}), "no placeholder");
    EXPECT_EQ(FormatText("%d", {-7LL}), "-7");
}

TEST(TextFormat, RefusesPlaceholdersWithoutAMatchingValue) {
    const std::vector<TFormatArg> oneText{std::string("t")};
    for (const char* format : {"%s%s", "%d", "%x", "%n", "100%", "%5s", "%p"})
        EXPECT_THROW(FormatText(format, oneText), EConvertError) << format;
    try {
        FormatText("%d", oneText);
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Format '%d' invalid or incompatible with argument");
    }
}

} // namespace
