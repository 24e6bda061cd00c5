// A dialog on the X display, answered with real keys and clicks.
#include "foundation/BaseDialogFrm.h"

#include "support/FakeInput.h"
#include "support/Waiting.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
constexpr int kSettlingPolls = 5; // of 20 ms each

class TSampleDialog : public TBaseDialogForm {
public:
    using TBaseDialogForm::TBaseDialogForm;
};

// Once the dialog is up and has the keyboard, runs act (keys or clicks through the X server).
void WhenActive(TCustomForm& form, std::function<void()> act) {
    auto* poll = new QTimer;
    auto activePolls = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, &form, act, activePolls] {
        if (!form.Widget()->isVisible())
            return;
        if (!form.Widget()->isActiveWindow()) {
            // Xvfb has no window manager to give a new window the focus.
            xdo::Run({"windowfocus", QString::number(form.Widget()->winId())});
            return;
        }
        // Qt learns of the focus a moment before the X server routes keys there.
        if (++*activePolls < kSettlingPolls)
            return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start(20);
}

QPoint ScreenCentre(const TControl* control) {
    return control->Widget()->mapToGlobal(control->Widget()->rect().center());
}
} // namespace

// Each answer gets a new dialog, as each command of the program makes one.
TEST(BaseDialogFrmKeys, EscapeCancels) {
    auto dialog = NewComponent<TSampleDialog>(nullptr);
    WhenActive(*dialog, [] { xdo::Key("Escape"); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(dialog->Widget()->isVisible());
}

TEST(BaseDialogFrmKeys, EnterClicksOkWhichClosesOnlyWithAModalResult) {
    auto dialog = NewComponent<TSampleDialog>(nullptr);
    int okClicks = 0;
    dialog->btnOk->OnClick = [&](TComponent*) { ++okClicks; };
    WhenActive(*dialog, [&] {
        xdo::Key("Return");
        ProcessEventsUntil([&] { return okClicks == 1; });
        EXPECT_TRUE(dialog->Widget()->isVisible());
        xdo::Key("Escape");
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(okClicks, 1);

    auto second = NewComponent<TSampleDialog>(nullptr);
    second->btnOk->SetModalResult(mrOk);
    WhenActive(*second, [] { xdo::Key("Return"); });
    EXPECT_EQ(second->ShowModal(), mrOk);
}

TEST(BaseDialogFrmMouse, CancelButtonClosesACentredDialog) {
    auto dialog = NewComponent<TSampleDialog>(nullptr);
    QPoint centre;
    WhenActive(*dialog, [&] {
        centre = dialog->Widget()->geometry().center();
        xdo::Click(ScreenCentre(dialog->btnCancel));
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(std::abs(centre.x() - screenCentre.x()), 1);
    EXPECT_LE(std::abs(centre.y() - screenCentre.y()), 1);
    EXPECT_EQ(dialog->Widget()->size(), QSize(504, 373));
}

TEST(BaseDialogFrmClose, CloseActionFreeReleasesTheWindow) {
    auto* dialog = NewComponent<TSampleDialog>(nullptr).release();
    bool destroyed = false;
    dialog->OnDestroy = [&](TComponent*) { destroyed = true; };
    dialog->OnClose = [](TComponent*, TCloseAction& action) { action = TCloseAction::caFree; };
    WhenActive(*dialog, [dialog] { dialog->Close(); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(ProcessEventsUntil([&] { return destroyed; }));
}
