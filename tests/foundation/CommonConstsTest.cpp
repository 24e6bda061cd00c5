#include "foundation/CommonConsts.h"

#include "foundation/SLLangUtils.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {
// A program installed as <root>/bin/TarselRuler with a language folder index at
// <root>/Languages/Language.ini.
struct TInstalledProgram {
    TTempFolder Root;
    std::string Program = Root.File("bin/TarselRuler");

    TInstalledProgram() { Root.WriteBytes("bin/TarselRuler", "program"); }
    void WriteIndex(const std::string& text) const {
        Root.WriteBytes("Languages/Language.ini", text);
    }
};

class CommonConstsSetup : public ::testing::Test {
protected:
    void SetUp() override { InitializeSLLangUtils(); }
    void TearDown() override { FinalizeSLLangUtils(); }
    TInstalledProgram Install;
};
} // namespace

TEST_F(CommonConstsSetup, WithoutIndexTheFileBesideTheProgramIsOnlyRead) {
    Install.Root.WriteBytes("bin/TarselRuler.lng", "[TAppStr]\r\nAppTitle=Beside\r\n");
    SetupTranslator(Install.Program);
    EXPECT_EQ(Translator->GetFileName(), Install.Root.File("bin/TarselRuler.lng"));
    EXPECT_TRUE(Translator->GetReadOnly());
    std::string value;
    EXPECT_TRUE(Translator->ReadString("TAppStr", "AppTitle", value));
    EXPECT_EQ(value, "Beside");
}

TEST_F(CommonConstsSetup, DefaultEntryAndMissingFolderKeepTheReadOnlyFile) {
    for (const char* index : {"[Language]\r\n", "[Language]\r\nLanguagePath=*\r\n",
                              "[Language]\r\nLanguagePath=Klingon\r\n"}) {
        Install.WriteIndex(index);
        std::string folder;
        GetLanguagePath(Install.Program, folder);
        EXPECT_EQ(folder, Install.Root.File("bin/")) << index;
        SetupTranslator(Install.Program);
        EXPECT_TRUE(Translator->GetReadOnly()) << index;
    }
}

TEST_F(CommonConstsSetup, NamedFolderGivesAWritableFileEvenBeforeItExists) {
    Install.WriteIndex("[language]\r\nlanguagepath = \"English\" \r\n");
    Install.Root.WriteBytes("Languages/English/readme.txt", "");
    SetupTranslator(Install.Program);
    EXPECT_EQ(Translator->GetFileName(), Install.Root.File("Languages/English/TarselRuler.lng"));
    EXPECT_FALSE(Translator->GetReadOnly());
    FinalizeSLLangUtils();
    TSLMemIniFile written(Install.Root.File("Languages/English/TarselRuler.lng"));
    EXPECT_EQ(written.ReadString("Language", "Name", ""), "Default");
    EXPECT_EQ(written.ReadString("Common", "0", ""), "0");
}
