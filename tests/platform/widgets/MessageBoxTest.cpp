// Message boxes speak the desktop's language: the standard buttons follow the user's
// locale settings through Qt's own translations. The locale is read when a program
// starts, so each language is tried in a program of its own: this test executable run
// again with the desktop's settings of that language.

#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Shows a yes/no/cancel box and an OK box, prints their buttons' texts one a line and
// answers them. Runs only when the test below starts this executable for it.
TEST(MessageBoxInALanguage, DISABLED_PrintsTheButtonTexts) {
    for (const std::uint32_t flags : {MB_OK | MB_ICONINFORMATION, MB_YESNOCANCEL}) {
        QTimer::singleShot(100, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons())
                std::printf("button:%s\n", button->text().toUtf8().constData());
            box->buttons().front()->click();
        });
        platform::ShowMessageBox("text", "提示", flags);
    }
    std::fflush(stdout);
}

// The button texts that this executable shows under the given environment.
QStringList ButtonTexts(const QStringList& environment) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(name);
    for (const QString& entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=MessageBoxInALanguage.DISABLED_PrintsTheButtonTexts"});
    child.waitForFinished(30000);
    QStringList texts;
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split('\n'))
        if (line.startsWith("button:"))
            texts.push_back(line.mid(7).remove('&'));
    return texts;
}

TEST(MessageBox, StandardButtonsFollowTheDesktopsLanguage) {
    // The OK box's button first, then the three of the question in any order.
    const QStringList chinese = ButtonTexts({"LANG=zh_CN.UTF-8", "LANGUAGE=zh_CN"});
    ASSERT_EQ(chinese.size(), 4) << chinese.join(" | ").toStdString();
    EXPECT_EQ(chinese[0], "确定");
    EXPECT_TRUE(chinese.contains("取消"));
    EXPECT_EQ(chinese.filter(QRegularExpression("^是")).size(), 1)
        << chinese.join(" | ").toStdString();
    EXPECT_EQ(chinese.filter(QRegularExpression("^否")).size(), 1)
        << chinese.join(" | ").toStdString();

    // LANG alone says it too; and a desktop in English keeps Qt's own texts.
    EXPECT_EQ(ButtonTexts({"LANG=zh_CN.UTF-8"}).value(0), "确定");
    QStringList english = ButtonTexts({"LANG=C"});
    english.sort();
    EXPECT_EQ(english, QStringList({"Cancel", "No", "OK", "Yes"}));
}

} // namespace
