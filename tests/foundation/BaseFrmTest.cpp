#include "foundation/BaseFrm.h"
#include "foundation/BaseDialogFrm.h"
#include "foundation/SLLangUtils.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {
// A window whose handlers log what they see, the way derived windows bind them.
class TLoggingForm : public TBaseForm {
public:
    TLoggingForm(TComponent* owner, std::vector<std::string>& log) : TBaseForm(owner), Log_(log) {
        OnCreate = [this](TComponent*) { FormCreate(); };
        OnDestroy = [this](TComponent*) { FormDestroy(); };
    }
    void FormCreate() {
        Log_.push_back("create:" + Caption());
        SetCaption("set by handler");
    }
    void FormDestroy() {
        Log_.push_back("destroy");
        SetCaption("changed in destroy");
    }

private:
    std::vector<std::string>& Log_;
};

class TSampleDialog : public TBaseDialogForm {
public:
    using TBaseDialogForm::TBaseDialogForm;
};

class BaseFrmLanguage : public ::testing::Test {
protected:
    void Open(const std::string& text, bool writable) {
        Folder.WriteBytes("Tarsel.lng", text);
        InitializeSLLangUtils();
        Translator->SetFileName(Folder.File("Tarsel.lng"));
        Translator->SetReadOnly(!writable);
    }
    void TearDown() override { FinalizeSLLangUtils(); }
    TTempFolder Folder;
    std::vector<std::string> Log;
};
} // namespace

TEST_F(BaseFrmLanguage, TranslatesAfterOnCreateAndWritesBeforeOnDestroy) {
    Open("[TLoggingForm]\r\nCaption=From file\r\nFont=Arial;clRed;-16;0;12;Italic\r\n", true);
    auto form = NewComponent<TLoggingForm>(nullptr, Log);
    EXPECT_EQ(form->Caption(), "From file");
    EXPECT_EQ(form->Font().Name(), "Arial");
    EXPECT_TRUE(form->Font().Style().Italic);
    form->SetCaption("current");
    form.reset();
    EXPECT_EQ(Log, (std::vector<std::string>{"create:BaseForm", "destroy"}));
    const TSLMemIniFile& ini = Translator->IniFile();
    EXPECT_EQ(ini.ReadString("TLoggingForm", "Caption", ""), "current");
    EXPECT_EQ(ini.ReadString("TLoggingForm", "Font", ""), "Arial;clRed;-16;0;12;Italic");
}

TEST_F(BaseFrmLanguage, HandlerTextStaysWhereTheFileHasNoKey) {
    Open("[TLoggingForm]\r\nHint=tip\r\n", false);
    auto form = NewComponent<TLoggingForm>(nullptr, Log);
    EXPECT_EQ(form->Caption(), "set by handler");
    EXPECT_EQ(form->Hint(), "tip");
    EXPECT_EQ(form->Font().Name(), "Tahoma");
}

TEST_F(BaseFrmLanguage, ReadOnlyFileKeepsItsSectionsWhenWindowsClose) {
    Open("[TLoggingForm]\r\nCaption=From file\r\nOld=entry\r\n", false);
    NewComponent<TLoggingForm>(nullptr, Log).reset();
    EXPECT_TRUE(Translator->IniFile().ValueExists("TLoggingForm", "Old"));
    EXPECT_FALSE(Translator->IniFile().ValueExists("TLoggingForm", "Font"));
}

TEST_F(BaseFrmLanguage, WindowFreedByItsOwnerStillWritesItsTexts) {
    Open("", true);
    {
        TComponent owner(nullptr);
        new TLoggingForm(&owner, Log);
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"destroy"}));
    EXPECT_TRUE(Translator->IniFile().SectionExists("TLoggingForm"));
}

TEST(BaseFrmWithoutTranslator, HandlersRunAndNothingIsTranslated) {
    ASSERT_EQ(Translator, nullptr);
    std::vector<std::string> log;
    auto form = NewComponent<TLoggingForm>(nullptr, log);
    EXPECT_EQ(form->Caption(), "set by handler");
    form.reset();
    EXPECT_EQ(log.size(), 2u);
}

TEST(BaseDialogFrmLayout, ButtonBarAndContentArea) {
    auto dialog = NewComponent<TSampleDialog>(nullptr);
    EXPECT_EQ(dialog->Caption(), "BaseDialogForm");
    EXPECT_EQ(dialog->BorderStyle(), TBorderStyle::bsDialog);
    EXPECT_EQ(dialog->Position(), TPosition::poScreenCenter);
    EXPECT_EQ(dialog->ClientWidth(), 504);
    EXPECT_EQ(dialog->ClientHeight(), 373);
    const auto bounds = [](const TControl* c) {
        return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
    };
    EXPECT_EQ(bounds(dialog->pnlButtons), (std::vector<int>{0, 329, 504, 44}));
    EXPECT_EQ(bounds(dialog->bvlButtons), (std::vector<int>{0, 0, 504, 2}));
    EXPECT_EQ(bounds(dialog->btnOk), (std::vector<int>{324, 9, 81, 27}));
    EXPECT_EQ(bounds(dialog->btnCancel), (std::vector<int>{411, 9, 81, 27}));
    EXPECT_EQ(bounds(dialog->pnlBackClient), (std::vector<int>{0, 0, 504, 329}));
    EXPECT_EQ(dialog->btnOk->Caption(), "确定");
    EXPECT_TRUE(dialog->btnOk->Default());
    EXPECT_EQ(dialog->btnOk->ModalResult(), mrNone);
    EXPECT_EQ(dialog->btnCancel->Caption(), "取消");
    EXPECT_TRUE(dialog->btnCancel->Cancel());
    EXPECT_EQ(dialog->btnCancel->ModalResult(), mrCancel);

    // A derived dialog of another size keeps the buttons at the right edge.
    dialog->SetClientSize(481, 326);
    EXPECT_EQ(bounds(dialog->pnlButtons), (std::vector<int>{0, 282, 481, 44}));
    EXPECT_EQ(dialog->btnCancel->Left(), 388);
    EXPECT_EQ(bounds(dialog->pnlBackClient), (std::vector<int>{0, 0, 481, 282}));
}

TEST_F(BaseFrmLanguage, DialogSectionListsTheButtonBar) {
    Open("", true);
    NewComponent<TSampleDialog>(nullptr).reset();
    const std::vector<std::string> keys = Translator->IniFile().ReadSection("TSampleDialog");
    for (const char* key : {"Font", "Caption", "pnlButtons.Caption", "btnOk.Caption",
                            "btnCancel.Caption", "pnlBackClient.Caption", "bvlButtons.Hint"})
        EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key;
    EXPECT_EQ(Translator->IniFile().ReadString("TSampleDialog", "btnCancel.Caption", ""), "取消");
}
