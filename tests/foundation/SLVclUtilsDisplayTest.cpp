// Real message boxes on the X display: a timer inspects the box once it is up and
// answers it with a real key press or a click. Screenshots are left in
// TARSEL_TEST_ARTIFACTS.
#include "foundation/SLVclUtils.h"

#include "support/Waiting.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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

// --- Where a box opens: centred on the primary monitor once it knows its size, and
// never larger than the monitor's work area, whatever the text ---

namespace {
struct TBoxTextCase {
    const char* Name;
    QString Text;
};

bool IsDark(QColor c) {
    return c.lightness() < 100;
}

class SLVclfnBoxPlacement : public testing::TestWithParam<TBoxTextCase> {};
} // namespace

// The OK button is clicked with the real pointer where the screen shows it.
TEST_P(SLVclfnBoxPlacement, BoxIsCentredOnThePrimaryMonitorWithItsButtonOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const TXClient x;
    QRect frame, client, button;
    QImage shot;
    TSeenBox seen;
    WhenBoxShows(seen, [&](QMessageBox* box) {
        const QAbstractButton* ok = box->button(QMessageBox::Ok);
        button = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        // Drawn once the button shows its caption.
        ProcessEventsUntil([&] {
            shot = x.GrabScreen();
            return CountPixels(shot, button, IsDark) > 10;
        });
        frame = x.FrameGeometry(box->winId());
        client = x.WindowGeometry(box->winId());
        shot.copy(frame.adjusted(-10, -10, 10, 10))
            .save(QString(TARSEL_TEST_ARTIFACTS "/BoxPlacement") + GetParam().Name + ".png");
        xdo::Click(button.center());
    });
    bool clickMissed = false;
    const QObject testScope; // the timer goes with the test
    QTimer::singleShot(kPatience.count(), &testScope, [&] {
        if (QWidget* modal = QApplication::activeModalWidget())
            clickMissed = modal->close();
    });
    TSLVclfn::ShowPrompt(GetParam().Text.toStdString());
    ASSERT_FALSE(frame.isEmpty()) << "no box";
    EXPECT_TRUE(area.contains(frame)) << "wholly on the screen";
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1) << frame.x() << "," << frame.y();
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1) << frame.x() << "," << frame.y();
    EXPECT_FALSE(clickMissed) << "the click on the button did not answer the box";
    EXPECT_GT(CountPixels(shot, button, IsDark), 10) << "the button shows its caption";
    const QRect rightMargin(client.right() - 5, client.top(), 6, client.height());
    EXPECT_EQ(CountPixels(shot, rightMargin, IsDark), 0) << "the text is cut at the box's edge";
    EXPECT_GT(CountPixels(shot, frame, [](QColor c) { return c.lightness() > 160; }),
              frame.width() * frame.height() / 2)
        << "the box is drawn";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SLVclfnBoxPlacement,
    testing::Values(
        // A notice the width of a few lines, which the box wraps as it shows.
        TBoxTextCase{"WrappedNotice",
                     "The update service is closed for maintenance tonight. Please check "
                     "again tomorrow, or download the newest version from our web site now."},
        TBoxTextCase{"ThousandLines", QString("a line\n").repeated(999)},
        TBoxTextCase{"LongWord", QString(999, 'W')}),
    [](const testing::TestParamInfo<TBoxTextCase>& info) { return info.param.Name; });
