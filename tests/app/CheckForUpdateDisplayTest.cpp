// An interactive update check on the X display with the real message box: the answer
// "0" is told in a box that a real key press closes.

#include "app/CheckForUpdateFrm.h"
#include "app/UpdateService.h"
#include "support/LocalHttpServer.h"
#include "support/XdoTool.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
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

} // namespace
