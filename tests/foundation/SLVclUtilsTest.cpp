#include "foundation/SLVclUtils.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {
struct TAsked {
    std::string Text;
    std::string Caption;
    std::uint32_t Flags = 0;
};

// Records the box that would have been shown and answers with the given button.
class SLVclfnAnswers : public ::testing::Test {
protected:
    void SetUp() override {
        TSLVclfn::SetMessageBoxPresenter(
            [this](const std::string& text, const std::string& caption, std::uint32_t flags) {
                Asked = {text, caption, flags};
                return Answer;
            });
    }
    void TearDown() override {
        TSLVclfn::SetMessageBoxPresenter(nullptr);
        FinalizeSLVclUtils();
        FinalizeSLLangUtils();
    }
    TAsked Asked;
    int Answer = IDYES;
};
} // namespace

TEST_F(SLVclfnAnswers, ConfirmFlagsAndDefaultButtons) {
    struct TRow {
        bool WithCancel;
        int DefaultButton;
        std::uint32_t Flags;
    };
    for (const TRow& row :
         {TRow{false, 1, 36}, TRow{true, 1, 35}, TRow{false, 2, 36 + 256}, TRow{true, 3, 35 + 512},
          TRow{true, 4, 35 + 768}, TRow{false, 0, 36}, TRow{true, 5, 35}, TRow{false, -2, 36}}) {
        Answer = IDNO;
        EXPECT_EQ(TSLVclfn::ShowConfirm("q", row.WithCancel, row.DefaultButton), IDNO);
        EXPECT_EQ(Asked.Flags, row.Flags) << row.WithCancel << " " << row.DefaultButton;
        EXPECT_EQ(Asked.Caption, "确认");
    }
    TSLVclfn::ShowPrompt("p");
    EXPECT_EQ(Asked.Flags, 64u);
    EXPECT_EQ(Asked.Caption, "提示");
    EXPECT_EQ(Asked.Text, "p");
}

TEST_F(SLVclfnAnswers, LanguageFileChangesTheCaptionsAndGetsThemBack) {
    TTempFolder folder;
    folder.WriteBytes("Tarsel.lng", "[TShowDialogStr]\r\nConfirmCaption=Confirm\r\n");
    InitializeSLLangUtils();
    Translator->SetFileName(folder.File("Tarsel.lng"));
    Translator->SetReadOnly(false);
    TSLVclfn::ShowConfirm("q", false, 1);
    EXPECT_EQ(Asked.Caption, "Confirm");
    TSLVclfn::ShowPrompt("p");
    EXPECT_EQ(Asked.Caption, "提示");
    EXPECT_EQ(ShowDialogStr().WarningCaption, "警告");
    EXPECT_EQ(ShowDialogStr().ErrorCaption, "错误");
    FinalizeSLVclUtils();
    FinalizeSLLangUtils();
    TSLMemIniFile written(folder.File("Tarsel.lng"));
    EXPECT_EQ(written.ReadSection("TShowDialogStr"),
              (std::vector<std::string>{"ConfirmCaption", "ErrorCaption", "PromptCaption",
                                        "WarningCaption"}));
    EXPECT_EQ(written.ReadString("TShowDialogStr", "ConfirmCaption", ""), "Confirm");
}
