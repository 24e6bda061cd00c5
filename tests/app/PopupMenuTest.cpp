// The menu's items follow their actions and run them; submenu captions are their own
// translatable texts.

#include "app/PopupMenu.h"
#include "platform/widgets/VclAction.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

struct MenuFixture : testing::Test {
    TComponentPtr<TComponent> owner = NewComponent<TComponent>(nullptr);
    TPopupMenu* menu = new TPopupMenu(owner.get());
    TAction* action = new TAction(owner.get());

    QAction* OnlyItem(QMenu* in) const {
        const QList<QAction*> items = in->actions();
        return items.size() == 1 ? items.front() : nullptr;
    }
};

TEST_F(MenuFixture, ItemShowsTheActionsCaptionCheckAndVisibilityAsTheyChange) {
    action->SetCaption("吸附光标");
    TPopupMenu::AddItem(menu->Menu(), action);
    QAction* item = OnlyItem(menu->Menu());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "吸附光标");
    EXPECT_FALSE(item->isChecked());

    action->SetChecked(true);
    EXPECT_TRUE(item->isChecked());
    action->SetCaption("Snap");
    EXPECT_EQ(item->text(), "Snap");
    action->SetVisible(false);
    EXPECT_FALSE(item->isVisible());
}

TEST_F(MenuFixture, ChoosingTheItemRunsTheAction) {
    int runs = 0;
    action->OnExecute = [&runs](TComponent*) { ++runs; };
    TPopupMenu::AddItem(menu->Menu(), action);
    OnlyItem(menu->Menu())->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(MenuFixture, ActionFreedBeforeTheMenuLeavesADeadItem) {
    int runs = 0;
    action->OnExecute = [&runs](TComponent*) { ++runs; };
    TPopupMenu::AddItem(menu->Menu(), action);
    QAction* item = OnlyItem(menu->Menu());
    delete action;
    item->trigger(); // must neither crash nor run anything
    EXPECT_EQ(runs, 0);
}

TEST_F(MenuFixture, SubmenuCaptionIsAPublishedTextAndOpeningItRefreshes) {
    auto* submenu = new TSubmenuItem(owner.get(), menu->Menu());
    submenu->SetCaption("半透明");
    EXPECT_EQ(submenu->Menu()->title(), "半透明");
    bool hasCaption = false;
    for (const TPublishedString& text : submenu->PublishedStrings())
        if (text.Name == "Caption") {
            hasCaption = true;
            text.Set("Transparency");
        }
    EXPECT_TRUE(hasCaption);
    EXPECT_EQ(submenu->Caption(), "Transparency");

    int refreshes = 0;
    menu->OnPopup = [&refreshes] { ++refreshes; };
    emit submenu->Menu()->aboutToShow();
    emit menu->Menu()->aboutToShow();
    EXPECT_EQ(refreshes, 2);
}

// Where the caption of each item begins, pixels from the menu's left edge (right of the
// check column): its leftmost dark pixel.
std::vector<int> CaptionStarts(QMenu* menu) {
    menu->ensurePolished();
    menu->adjustSize();
    const QImage picture = menu->grab().toImage();
    std::vector<int> starts;
    for (QAction* item : menu->actions()) {
        const QRect row = menu->actionGeometry(item);
        int start = -1;
        for (int x = 24; x <= row.right() && start < 0; ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                if (qGray(picture.pixel(x, y)) < 100) {
                    start = x;
                    break;
                }
        starts.push_back(start);
    }
    return starts;
}

TEST_F(MenuFixture, CaptionsKeepTheirPlaceWhetherOrNotAnItemIsChecked) {
    std::vector<TAction*> steps;
    for (int step = 0; step < 3; ++step) {
        auto* stepAction = new TAction(owner.get());
        stepAction->SetCaption("10 %");
        TPopupMenu::AddItem(menu->Menu(), stepAction);
        steps.push_back(stepAction);
    }
    const std::vector<int> unchecked = CaptionStarts(menu->Menu());
    ASSERT_EQ(unchecked.size(), 3u);
    ASSERT_GT(unchecked[0], 0);
    EXPECT_EQ(unchecked[1], unchecked[0]);

    steps[1]->SetChecked(true);
    const std::vector<int> oneChecked = CaptionStarts(menu->Menu());
    menu->Menu()->grab().save(TARSEL_TEST_ARTIFACTS "/MenuCheckColumn.png");
    EXPECT_EQ(oneChecked, unchecked) << "a check mark moves no caption";
}

} // namespace
