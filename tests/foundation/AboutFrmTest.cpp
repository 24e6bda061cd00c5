// The About box as shown: the record's texts in their places (over anything the
// language file says), the 16-point bold product line, the logo, a read-only scrolling
// memo and one button that Enter and Esc both answer.

#include "foundation/AboutFrm.h"
#include "foundation/SLLangUtils.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

TAboutRec Record() {
    TAboutRec about;
    about.Caption = "关于Tarsel桌面标尺";
    about.Product = "Tarsel桌面标尺";
    about.Build = "版本: 1.0.0.1";
    about.URL = "http://www.example.com";
    for (int line = 0; line < 60; ++line)
        about.Feature += "Feature line " + std::to_string(line) + "\r\n";
    return about;
}

QLabel* LabelWithText(QWidget* window, const QString& text) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

// Shows the box, lets inspect look at it once it is up, then presses key in it.
// Returns whether the box closed.
bool ShowAndPress(const TAboutRec& about, const std::function<void(QWidget*)>& inspect, int key) {
    bool inspected = false;
    QTimer::singleShot(50, [&] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        inspect(window);
        inspected = true;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window, &press);
    });
    // A box that does not close fails the test instead of hanging it.
    QTimer::singleShot(5000, [] {
        if (QWidget* window = QApplication::activeModalWidget())
            window->close();
    });
    TAboutForm::Execute(about);
    return inspected;
}

TEST(AboutForm, ShowsTheRecordInItsLayout) {
    const TAboutRec about = Record();
    const bool shown = ShowAndPress(
        about,
        [&](QWidget* window) {
            EXPECT_EQ(window->windowTitle().toStdString(), about.Caption);
            EXPECT_EQ(window->size(), QSize(481, 326));
            QLabel* product = LabelWithText(window, "Tarsel桌面标尺");
            ASSERT_NE(product, nullptr);
            EXPECT_NEAR(QFontInfo(product->font()).pointSizeF(), 16.0, 0.5);
            EXPECT_TRUE(product->font().bold());
            EXPECT_NE(LabelWithText(window, "版本: 1.0.0.1"), nullptr);
            QLabel* url = LabelWithText(window, "http://www.example.com");
            ASSERT_NE(url, nullptr);
            EXPECT_EQ(url->cursor().shape(), Qt::PointingHandCursor);

            bool logo = false;
            for (QLabel* label : window->findChildren<QLabel*>())
                logo |= !label->pixmap().isNull() && label->pixmap().size() == QSize(113, 230);
            EXPECT_TRUE(logo) << "the 113 x 230 logo";

            const auto memos = window->findChildren<QPlainTextEdit*>();
            ASSERT_EQ(memos.size(), 1);
            EXPECT_TRUE(memos[0]->isReadOnly());
            EXPECT_EQ(memos[0]->height(), 159);
            EXPECT_GT(memos[0]->verticalScrollBar()->maximum(), 0) << "a long text scrolls";
            EXPECT_TRUE(memos[0]->toPlainText().startsWith("Feature line 0\nFeature line 1\n"));

            int visibleButtons = 0;
            for (QPushButton* button : window->findChildren<QPushButton*>())
                if (button->isVisibleTo(window)) {
                    ++visibleButtons;
                    EXPECT_EQ(button->text(), "确定");
                    EXPECT_EQ(button->geometry().size(), QSize(81, 27));
                }
            EXPECT_EQ(visibleButtons, 1);
            window->grab().save(TARSEL_TEST_ARTIFACTS "/AboutForm.png");
        },
        Qt::Key_Escape);
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AboutForm, EnterAndEscBothClose) {
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(ShowAndPress(
            Record(), [](QWidget*) {}, key));
        EXPECT_LT(clock.elapsed(), 4000) << "key " << key << " did not close the box";
    }
}

TEST(AboutForm, RecordWinsOverTheLanguageFile) {
    QTemporaryDir folder;
    const QString lng = folder.filePath("TarselRuler.lng");
    QFile file(lng);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TAboutForm]\r\nCaption=Other\r\nlblProduct.Caption=Other product\r\n"
               "Font=Tahoma;clWindowText;-8;0;6;Italic\r\n");
    file.close();
    InitializeSLLangUtils();
    Translator->SetFileName(lng.toStdString());

    const TAboutRec about = Record();
    ShowAndPress(
        about,
        [&](QWidget* window) {
            EXPECT_EQ(window->windowTitle().toStdString(), about.Caption);
            QLabel* product = LabelWithText(window, "Tarsel桌面标尺");
            ASSERT_NE(product, nullptr);
            EXPECT_NEAR(QFontInfo(product->font()).pointSizeF(), 16.0, 0.5);
            EXPECT_TRUE(product->font().bold());
        },
        Qt::Key_Escape);
    FinalizeSLLangUtils();
}

// The window font of the language file reaches every control: its face, its style and
// its colour, with the product line's own size and weight on top.
TEST(AboutForm, ControlsFollowTheWindowFontOfTheLanguageFileInItsColour) {
    QTemporaryDir folder;
    const QString lng = folder.filePath("TarselRuler.lng");
    QFile file(lng);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TAboutForm]\r\nFont=\"DejaVu Serif\";clRed;-13;0;10;Italic\r\n");
    file.close();
    InitializeSLLangUtils();
    Translator->SetFileName(lng.toStdString());
    Translator->SetReadOnly(true);

    const TAboutRec about = Record();
    ShowAndPress(
        about,
        [&](QWidget* window) {
            QLabel* product = LabelWithText(window, "Tarsel桌面标尺");
            QLabel* build = LabelWithText(window, "版本: 1.0.0.1");
            ASSERT_NE(product, nullptr);
            ASSERT_NE(build, nullptr);
            for (QLabel* label : {product, build}) {
                EXPECT_EQ(QFontInfo(label->font()).family(), "DejaVu Serif");
                EXPECT_TRUE(label->font().italic());
                EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
            }
            EXPECT_NEAR(QFontInfo(product->font()).pointSizeF(), 16.0, 0.5);
            EXPECT_TRUE(product->font().bold());
            EXPECT_FALSE(build->font().bold());

            // The product line is drawn in red.
            const QImage picture = product->grab().toImage();
            picture.save(TARSEL_TEST_ARTIFACTS "/AboutFormRedFont.png");
            int red = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
                }
            EXPECT_GT(red, 50);
        },
        Qt::Key_Escape);
    FinalizeSLLangUtils();
}

} // namespace
