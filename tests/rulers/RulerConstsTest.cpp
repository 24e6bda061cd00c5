#include "rulers/RulerConsts.h"

#include "foundation/CommonConsts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {
const std::vector<std::string> kAllKeys{
    "AboutCaptionFmt", "AboutText",   "AboutVersionFmt", "AppTitle",  "CentimeterUnitName",
    "OnlineQQUrl",     "QuestionUrl", "TutorialUrl",     "UpdateUrl", "WebsiteUrl"};

// Start-up and shut-down of the language file around one "run", as the program does.
class RulerConstsRun : public ::testing::Test {
protected:
    void Start() {
        Root.WriteBytes("bin/TarselRuler", "program");
        InitializeSLLangUtils();
        SetupTranslator(Root.File("bin/TarselRuler"));
    }
    void Finish() {
        FinalizeRulerConsts();
        FinalizeSLLangUtils();
    }
    void TearDown() override { Finish(); }
    TTempFolder Root;
};
} // namespace

TEST_F(RulerConstsRun, DefaultsWithoutLanguageFile) {
    Start();
    EXPECT_EQ(AppStr().AppTitle, "Tarsel桌面标尺");
    EXPECT_EQ(AppStr().CentimeterUnitName, "厘米");
    EXPECT_EQ(AppStr().AboutVersionFmt, "版本: %d.%d.%d.%d");
    EXPECT_EQ(&AppStr(), &AppStr());
    for (const std::string* url : {&AppStr().WebsiteUrl, &AppStr().UpdateUrl, &AppStr().TutorialUrl,
                                   &AppStr().QuestionUrl, &AppStr().OnlineQQUrl})
        EXPECT_EQ(url->rfind("http://", 0), 0u) << *url;
    EXPECT_NE(AppStr().AboutText.find("\r\n"), std::string::npos);
}

TEST_F(RulerConstsRun, SectionWithOneKeyChangesOnlyThatText) {
    Root.WriteBytes("bin/TarselRuler.lng", "[TAppStr]\r\nCentimeterUnitName=cm\r\n");
    Start();
    EXPECT_EQ(AppStr().CentimeterUnitName, "cm");
    EXPECT_EQ(AppStr().AppTitle, "Tarsel桌面标尺");
}

TEST_F(RulerConstsRun, WritableLanguageFolderGetsACompleteTemplate) {
    Root.WriteBytes("Languages/Language.ini", "[Language]\r\nLanguagePath=zh\r\n");
    Root.WriteBytes("Languages/zh/keep.txt", "");
    Start();
    (void)AppStr();
    Finish();
    TSLMemIniFile written(Root.File("Languages/zh/TarselRuler.lng"));
    EXPECT_EQ(written.ReadSections(), (std::vector<std::string>{"Language", "Common", "TAppStr"}));
    EXPECT_EQ(written.ReadSection("TAppStr"), kAllKeys);
    EXPECT_EQ(written.ReadString("TAppStr", "AppTitle", ""), "Tarsel桌面标尺");
    EXPECT_EQ(written.ReadString("TAppStr", "AboutText", "").find("\r"), std::string::npos);
    EXPECT_NE(written.ReadString("TAppStr", "AboutText", "").find("#13#10"), std::string::npos);

    // The next run reads the template back unchanged.
    Start();
    EXPECT_EQ(AppStr().AboutText, TAppStr().AboutText);
}
