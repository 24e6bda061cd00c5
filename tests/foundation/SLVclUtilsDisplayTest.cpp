// Real message boxes on the X display: a timer inspects the box once it is up and
// answers it with a real key press or a click.
#include "foundation/SLVclUtils.h"

#include "support/XdoTool.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct TSeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> Buttons;
    QMessageBox::StandardButton Default = QMessageBox::NoButton;
};

// Waits for the modal box, records what it shows, then lets answer() act on it.
void WhenBoxShows(TSeenBox& seen, std::function<void(QMessageBox*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !box->isActiveWindow())
            return;
        poll->stop();
        poll->deleteLater();
        seen.Title = box->windowTitle();
        seen.Text = box->text();
        seen.Icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            seen.Buttons.push_back(box->standardButton(button));
        std::sort(seen.Buttons.begin(), seen.Buttons.end());
        if (box->defaultButton())
            seen.Default = box->standardButton(box->defaultButton());
        answer(box);
    });
    poll->start(20);
}

auto PressKey(const QString& key) {
    return [key](QMessageBox*) { xdo::Key(key); };
}

auto Click(QMessageBox::StandardButton which) {
    return [which](QMessageBox* box) { box->button(which)->click(); };
}
} // namespace

TEST(SLVclfnBoxes, ConfirmWithoutCancelAsksYesOrNoWithYesAsDefault) {
    TSeenBox seen;
    WhenBoxShows(seen, PressKey("Return"));
    EXPECT_EQ(TSLVclfn::ShowConfirm("Download now?", false, 1), IDYES);
    EXPECT_EQ(seen.Title, "确认");
    EXPECT_EQ(seen.Text, "Download now?");
    EXPECT_EQ(seen.Icon, QMessageBox::Question);
    EXPECT_EQ(seen.Buttons, (std::vector{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(seen.Default, QMessageBox::Yes);

    TSeenBox second;
    WhenBoxShows(second, Click(QMessageBox::No));
    EXPECT_EQ(TSLVclfn::ShowConfirm("Download now?", false, 7), IDNO);
    EXPECT_EQ(second.Default, QMessageBox::Yes);
}

TEST(SLVclfnBoxes, ConfirmWithCancelCanMakeCancelTheDefault) {
    TSeenBox seen;
    WhenBoxShows(seen, PressKey("Return"));
    EXPECT_EQ(TSLVclfn::ShowConfirm("Save?", true, 3), IDCANCEL);
    EXPECT_EQ(seen.Buttons, (std::vector{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));
    EXPECT_EQ(seen.Default, QMessageBox::Cancel);

    TSeenBox second;
    WhenBoxShows(second, PressKey("Return"));
    EXPECT_EQ(TSLVclfn::ShowConfirm("Save?", true, 2), IDNO);
    EXPECT_EQ(second.Default, QMessageBox::No);

    TSeenBox third;
    WhenBoxShows(third, PressKey("Escape"));
    EXPECT_EQ(TSLVclfn::ShowConfirm("Save?", true, 1), IDCANCEL);
}

TEST(SLVclfnBoxes, PromptIsAnInformationWithOneOkButton) {
    TSeenBox seen;
    WhenBoxShows(seen, PressKey("Escape"));
    TSLVclfn::ShowPrompt("当前已是最新版本。");
    EXPECT_EQ(seen.Title, "提示");
    EXPECT_EQ(seen.Text, "当前已是最新版本。");
    EXPECT_EQ(seen.Icon, QMessageBox::Information);
    EXPECT_EQ(seen.Buttons, (std::vector{QMessageBox::Ok}));
}

TEST(SLVclfnBoxes, PlainBoxFollowsTheFlags) {
    TSeenBox seen;
    WhenBoxShows(seen, Click(QMessageBox::Ok));
    EXPECT_EQ(TSLVclfn::MessageBox("text", "Caption", MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2),
              IDOK);
    EXPECT_EQ(seen.Title, "Caption");
    EXPECT_EQ(seen.Icon, QMessageBox::Warning);
    EXPECT_EQ(seen.Buttons, (std::vector{QMessageBox::Ok, QMessageBox::Cancel}));
    EXPECT_EQ(seen.Default, QMessageBox::Cancel);
}
