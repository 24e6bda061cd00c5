// An interactive update check on the X display with the real message box: the answer
// "0" is told in a box that a real key press closes.

#include "app/CheckForUpdateFrm.h"
#include "app/UpdateService.h"
#include "support/LocalHttpServer.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kPollMs = 20;
// Only a failing test waits this long.
constexpr int kNeverHangMs = 60000;

// The visible box with one of its labels reading text, null while there is none.
QDialog* BoxSaying(const QString& text) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QDialog*>(widget); box && box->isVisible())
            for (QLabel* label : box->findChildren<QLabel*>())
                if (label->text() == text)
                    return box;
    return nullptr;
}

int CountPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += wanted(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

TEST(CheckForUpdateOnScreen, NewestVersionIsToldInARealBoxThatEnterCloses) {
    TLocalHttpServer server;
    server.Reply(200, "OK", "0");
    QString title;
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog* box = BoxSaying("当前已是最新版本。");
        if (!box || answered)
            return;
        // A real key press goes to the window that has the X server's focus, which a box
        // gets some time after it shows (long on a busy machine): press once it has it.
        if (!box->isActiveWindow()) {
            box->activateWindow();
            return;
        }
        answered = true;
        title = box->windowTitle();
        xdo::Key("Return");
    });
    poll.start(kPollMs);
    bool closedByTest = false;
    QTimer::singleShot(kNeverHangMs, &poll, [&] { // gone with the test
        if (QWidget* modal = QApplication::activeModalWidget()) {
            closedByTest = true;
            modal->close();
        }
    });

    TCheckForUpdateForm::Execute("Tarsel桌面标尺", server.BaseUrl() + "/check.asp", TarselProductId,
                                 1, 0, 0, 1, false);
    EXPECT_TRUE(answered) << "no box told the newest version";
    EXPECT_TRUE(title.startsWith("提示")) << title.toStdString();
    EXPECT_FALSE(closedByTest) << "the key press did not close the box";
    EXPECT_EQ(server.Requests().size(), 1u);
}

// Whoever can answer the plain-http request writes the box's text: a tag, a link to a
// local program and a local picture all show as the characters they are made of.
TEST(CheckForUpdateOnScreen, AReplyWithMarkupIsShownAsPlainCharacters) {
    QTemporaryDir folder;
    const QString picture = folder.filePath("red.png");
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QString reply = "服务器维护中 <b>请稍后</b> <a href=\"file://" +
                          folder.filePath("evil.sh") + "\">这里</a> <img src=\"" + picture + "\">";
    TLocalHttpServer server;
    server.Reply(200, "OK", reply.toStdString());

    QLabel* shown = nullptr;
    QImage screen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog* box = BoxSaying(reply);
        if (!box || shown)
            return;
        // What the X server shows of the box, not what the widget would paint; taken once
        // the box is drawn (mostly its light background, not the black of the bare screen).
        const QImage grabbed =
            box->screen()->grabWindow(0, box->x(), box->y(), box->width(), box->height()).toImage();
        if (CountPixels(grabbed, [](QColor c) { return qGray(c.rgb()) > 160; }) <
            grabbed.width() * grabbed.height() / 2)
            return;
        screen = grabbed;
        screen.save(TARSEL_TEST_ARTIFACTS "/UpdateReplyWithMarkup.png");
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text() == reply)
                shown = label;
        EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        EXPECT_FALSE(shown->openExternalLinks());
        box->activateWindow();
        xdo::Key("Return");
    });
    poll.start(100);
    QTimer::singleShot(20000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });

    TCheckForUpdateForm::Execute("Tarsel桌面标尺", server.BaseUrl() + "/check.asp", TarselProductId,
                                 1, 0, 0, 1, false);
    ASSERT_NE(shown, nullptr) << "no box showed the reply as it was sent";
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(
        CountPixels(screen,
                    [](QColor c) { return c.red() > 230 && c.green() < 40 && c.blue() < 40; }),
        0)
        << "the local picture was drawn";
    EXPECT_GT(CountPixels(screen, [](QColor c) { return qGray(c.rgb()) < 100; }), 200)
        << "no characters on screen";
}

} // namespace
