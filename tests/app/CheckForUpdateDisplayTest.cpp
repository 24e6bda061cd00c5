// An interactive update check on the X display with the real message box: the answer
// "0" is told in a box that a real key press closes.

#include "app/CheckForUpdateFrm.h"
#include "app/UpdateService.h"
#include "support/LocalHttpServer.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The visible box with one of its labels reading text, null while there is none.
QDialog* BoxSaying(const QString& text) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QDialog*>(widget); box && box->isVisible())
            for (QLabel* label : box->findChildren<QLabel*>())
                if (label->text() == text)
                    return box;
    return nullptr;
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
        answered = true;
        title = box->windowTitle();
        box->activateWindow();
        xdo::Key("Return");
    });
    poll.start(100);
    QTimer::singleShot(20000, [] { // never hang the suite
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });

    QElapsedTimer clock;
    clock.start();
    TCheckForUpdateForm::Execute("Tarsel桌面标尺", server.BaseUrl() + "/check.asp", TarselProductId,
                                 1, 0, 0, 1, false);
    EXPECT_TRUE(answered) << "no box told the newest version";
    EXPECT_TRUE(title.startsWith("提示")) << title.toStdString();
    EXPECT_LT(clock.elapsed(), 15000) << "the key press did not close the box";
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
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text() == reply)
                shown = label;
        // What the X server shows of the box, not what the widget would paint.
        screen =
            box->screen()->grabWindow(0, box->x(), box->y(), box->width(), box->height()).toImage();
        screen.save(TARSEL_TEST_ARTIFACTS "/UpdateReplyWithMarkup.png");
        EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        EXPECT_FALSE(shown->openExternalLinks());
        box->activateWindow();
        xdo::Key("Return");
    });
    poll.start(500); // a poll or two after the box maps, so its pixels are on screen
    QTimer::singleShot(20000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });

    TCheckForUpdateForm::Execute("Tarsel桌面标尺", server.BaseUrl() + "/check.asp", TarselProductId,
                                 1, 0, 0, 1, false);
    ASSERT_NE(shown, nullptr) << "no box showed the reply as it was sent";
    ASSERT_FALSE(screen.isNull());
    int redPixels = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QColor pixel = screen.pixelColor(x, y);
            if (pixel.red() > 230 && pixel.green() < 40 && pixel.blue() < 40)
                ++redPixels;
        }
    EXPECT_EQ(redPixels, 0) << "the local picture was drawn";
    int dark = 0; // the characters themselves
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (qGray(screen.pixel(x, y)) < 100)
                ++dark;
    EXPECT_GT(dark, 200) << "no text on screen";
}

} // namespace
