// The main window's commands, check marks and keys, driven through its handlers on
// Qt's offscreen platform (the real window under X is TarselRulerDisplayTest).

#include "app/MainFrm.h"
#include "foundation/SLVclUtils.h"
#include "platform/widgets/VclAction.h"
#include "platform/widgets/VclTimer.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/RulerInfos.h"
#include "rulers/TriangleRuler.h"
#include "support/ProgramCopy.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

struct MainWindow : testing::Test {
    static void SetUpTestSuite() { RegisterRulerClasses(); }

    ~MainWindow() override {
        if (!form)
            return;
        form.reset();
        FinalizeRulerInfos();
    }

    // The window keeps its settings file beside the running program: each test runs
    // from a copy of this test program in a folder of its own, with no settings file
    // yet, and makes the window there. True inside the copy; in the original, false
    // once the copy's result is recorded.
    bool StartInProgramCopy() {
        if (!RunsInCopyOfTestProgram(folder))
            return false;
        form = NewComponent<TMainForm>(nullptr);
        return true;
    }

    std::vector<std::string> Checked() const {
        form->alMain->UpdateActions();
        std::vector<std::string> names;
        for (TAction* action : form->alMain->Actions())
            if (action->Checked())
                names.push_back(action->Name());
        return names;
    }

    void Key(std::uint16_t key, TShiftState shift) { form->FormKeyDown(form.get(), key, shift); }

    TTempFolder folder;
    TComponentPtr<TMainForm> form;
};

using Names = std::vector<std::string>;

TEST_F(MainWindow, HasTheActionsWithTheirCaptionsInOrder) {
    if (!StartInProgramCopy())
        return;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"acRulerTypeRectangle", "直尺"},
        {"acRulerTypeTriangle", "三角板"},
        {"acRulerTypeProtractor180", "半圆量角器"},
        {"acRulerTypeProtractor360", "圆形量角器"},
        {"acFileExit", "退出"},
        {"acMouseSnap", "吸附光标"},
        {"acTransparent0", "不透明"},
        {"acTransparent10", "10 %"},
        {"acTransparent20", "20 %"},
        {"acTransparent30", "30 %"},
        {"acTransparent40", "40 %"},
        {"acTransparent50", "50 %"},
        {"acTransparent60", "60 %"},
        {"acTransparent70", "70 %"},
        {"acTransparent80", "80 %"},
        {"acTransparent90", "90 %"},
        {"acHelpAbout", "关于..."},
        {"acHelpWebsite", "Tarsel网站"},
        {"acHelpTopic", "帮助"},
        {"acHelpTutorialUrl", "使用演示"},
        {"acHelpUpdate", "检查更新"},
        {"acHelpQuestion", "问题反馈"},
        {"acHelpQQ", "QQ客服"}};
    const auto& actions = form->alMain->Actions();
    ASSERT_EQ(actions.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actions[i]->Name(), expected[i].first);
        EXPECT_EQ(actions[i]->Caption(), expected[i].second);
        EXPECT_EQ(actions[i]->Visible(), actions[i]->Name() != "acHelpQQ");
        EXPECT_TRUE(actions[i]->Enabled());
    }
}

TEST_F(MainWindow, MenuHasTheEntriesInOrder) {
    if (!StartInProgramCopy())
        return;
    auto texts = [](QMenu* menu) {
        QStringList list;
        for (QAction* item : menu->actions())
            list << (item->isSeparator() ? "-" : item->text()) +
                        (item->isVisible() ? "" : "(hidden)");
        return list;
    };
    QMenu* menu = form->ppMain->Menu();
    EXPECT_EQ(texts(menu), QStringList({"直尺", "三角板", "半圆量角器", "圆形量角器", "-",
                                        "吸附光标", "-", "半透明", "-", "帮助", "-", "退出"}));
    EXPECT_EQ(texts(form->tbsmTransparent->Menu()),
              QStringList({"不透明", "10 %", "20 %", "30 %", "40 %", "50 %", "60 %", "70 %", "80 %",
                           "90 %"}));
    EXPECT_EQ(texts(form->tbsmHelp->Menu()),
              QStringList({"使用演示", "帮助", "-", "Tarsel网站", "检查更新", "问题反馈",
                           "QQ客服(hidden)", "-", "关于..."}));
}

TEST_F(MainWindow, CheckMarksFollowTheSettingsAndTheAlphaValue) {
    if (!StartInProgramCopy())
        return;
    // Defaults: the straight ruler is current, alpha 178 is the 30 % step.
    EXPECT_EQ(Checked(), (Names{"acRulerTypeRectangle", "acTransparent30"}));
    EXPECT_EQ(form->AlphaBlendValue(), 178);

    form->SetTransparency(50);
    EXPECT_EQ(AppInfo().Transparent, 128);
    EXPECT_EQ(form->AlphaBlendValue(), 128);
    form->SetTransparency(90);
    EXPECT_EQ(form->AlphaBlendValue(), 26);
    form->SelectRulerType(TProtractorRuler360::StaticClassInfo());
    form->acMouseSnap->Execute();
    EXPECT_TRUE(AppInfo().MouseSnap);
    EXPECT_EQ(Checked(), (Names{"acRulerTypeProtractor360", "acMouseSnap", "acTransparent90"}));

    // An alpha value between the steps checks none of them.
    form->SetAlphaBlendValue(200);
    form->acMouseSnap->Execute();
    EXPECT_EQ(Checked(), (Names{"acRulerTypeProtractor360"}));

    // Choosing the current kind again keeps it current.
    form->acRulerTypeProtractor360->Execute();
    EXPECT_EQ(AppInfo().GetCurrentRuler()->ClassInfo().Name(), "TProtractorRuler360");
}

TEST_F(MainWindow, AutomaticCheckIsArmedOnceAndAManualCheckCancelsIt) {
    if (!StartInProgramCopy())
        return;
    EXPECT_TRUE(form->tmrCheckUpdate->Enabled());
    EXPECT_EQ(form->tmrCheckUpdate->Interval(), 600000);

    int boxes = 0;
    TSLVclfn::SetMessageBoxPresenter(
        [&boxes](const std::string&, const std::string&, std::uint32_t) {
            ++boxes;
            return IDOK;
        });
    form->acHelpUpdate->Execute(); // the placeholder host does not answer: a failed check
    TSLVclfn::SetMessageBoxPresenter({});
    EXPECT_FALSE(form->tmrCheckUpdate->Enabled());
    EXPECT_EQ(boxes, 1);
}

TEST_F(MainWindow, ArrowKeysMoveOrResizeTheCurrentInstrument) {
    if (!StartInProgramCopy())
        return;
    TBaseRuler* ruler = AppInfo().GetCurrentRuler();
    const float x = ruler->OffsetX, y = ruler->OffsetY;
    Key(VK_RIGHT, 0);
    Key(VK_DOWN, ssShift);
    Key(VK_LEFT, ssShift);
    EXPECT_FLOAT_EQ(ruler->OffsetX, x + 1 - 8);
    EXPECT_FLOAT_EQ(ruler->OffsetY, y + 8);

    Key(VK_RIGHT, ssShift | ssCtrl);
    Key(VK_UP, ssCtrl); // the straight ruler keeps its height
    EXPECT_FLOAT_EQ(ruler->Width, 508);
    EXPECT_FLOAT_EQ(ruler->Height, 64);
    Key('A', ssCtrl);
    EXPECT_FLOAT_EQ(ruler->Width, 508);

    form->SelectRulerType(TProtractorRuler180::StaticClassInfo());
    TBaseRuler* protractor = AppInfo().GetCurrentRuler();
    const float side = protractor->Width;
    Key(VK_RIGHT, ssCtrl); // a protractor takes the mean of both sides
    EXPECT_FLOAT_EQ(protractor->Width, side + 0.5f);
    EXPECT_FLOAT_EQ(protractor->Height, side + 0.5f);
}

} // namespace
