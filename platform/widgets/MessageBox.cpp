#include "platform/widgets/MessageBox.h"

#include "platform/widgets/VclForm.h"
#include "platform/widgets/WindowTitle.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTranslator>
#include <QtMath>
#include <algorithm>
#include <utility>
#include <vector>

namespace platform {
namespace {
constexpr std::uint32_t kButtonsMask = 0xF;
constexpr std::uint32_t kIconMask = 0xF0;
constexpr std::uint32_t kDefaultButtonMask = 0xF00;
constexpr int kDefaultButtonShift = 8;
// Marks the application object once the desktop's translations are in.
constexpr const char* kTranslationsInstalled = "tarselDesktopTranslations";

using TButtonRow = std::vector<std::pair<QMessageBox::StandardButton, int>>;

// Qt's box, placed once it knows its size: it sizes itself for its wrapped text only
// while it shows. It never grows beyond the primary monitor's work area, and its text is
// never cut: a word too wide for a line is broken anywhere, a text too long for the
// screen scrolls, and the buttons stay on the screen.
class TPlacedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // takes the size for the text
        FitOnPrimaryScreen();
        TCustomForm::CentreOnPrimaryScreen(*this);
    }

    bool event(QEvent* event) override {
        // Qt's box takes its size anew at each layout request, from its label's wishes;
        // once the size is ours, it stays.
        if (event->type() == QEvent::LayoutRequest && SizedHere_)
            return QDialog::event(event);
        return QMessageBox::event(event);
    }

private:
    void FitOnPrimaryScreen() {
        auto* label = findChild<QLabel*>("qt_msgbox_label");
        if (!label || !layout())
            return;
        const QSize room = TCustomForm::RoomOnPrimaryScreen(*this);
        // Qt's label breaks lines only between words, and asks for the width of the widest
        // word: a box narrower than that would cut the word at its edge.
        const bool wordTooWide = layout()->totalMinimumSize().width() > width();
        if (!wordTooWide && width() <= room.width() && height() <= room.height())
            return;
        QSize wanted = size();
        if (ShowTextInView(*label)) {
            if (height() > room.height())
                wanted.rwidth() += TextView_->verticalScrollBar()->sizeHint().width();
            else
                wanted.rheight() += MissingTextHeight();
        }
        setFixedSize(wanted.boundedTo(room));
        SizedHere_ = true;
    }

    // Puts the text into a read-only view of plain text in the label's place, on the box's
    // own background; false where the box is not built as expected.
    bool ShowTextInView(QLabel& label) {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        if (!grid)
            return false;
        auto* view = new QTextEdit(this);
        view->setPlainText(label.text());
        view->setReadOnly(true);
        view->setFrameShape(QFrame::NoFrame);
        view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->document()->setDocumentMargin(0);
        view->setFont(label.font());
        QPalette colours = view->palette();
        colours.setColor(QPalette::Base, palette().color(QPalette::Window));
        view->setPalette(colours);
        // Enter and Esc stay with the buttons; a click lets the keys scroll the text.
        view->setFocusPolicy(Qt::ClickFocus);
        delete grid->replaceWidget(&label, view);
        label.hide();
        view->show(); // the box is showing already; the layout lays out shown widgets only
        TextView_ = view;
        return true;
    }

    // How much taller the view must be to show its whole text at its width: Qt's box
    // reckoned with its label, which breaks lines otherwise. Pixels.
    int MissingTextHeight() {
        layout()->activate(); // the view in the label's place, at the box's width
        QTextDocument& text = *TextView_->document();
        text.setTextWidth(TextView_->width());
        return std::max(0, qCeil(text.size().height()) - TextView_->height());
    }

    QTextEdit* TextView_ = nullptr;
    bool SizedHere_ = false;
};

TButtonRow ButtonsFor(std::uint32_t flags) {
    switch (flags & kButtonsMask) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT},
                {QMessageBox::Retry, IDRETRY},
                {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL:
        return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon IconFor(std::uint32_t flags) {
    switch (flags & kIconMask) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

void InstallDesktopTranslations() {
    auto* application = QCoreApplication::instance();
    if (!application || application->property(kTranslationsInstalled).toBool())
        return;
    application->setProperty(kTranslationsInstalled, true);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // The translator lives as long as the application object, which owns it.
    auto* translator = new QTranslator(application);
    if (translator->load(QLocale(), "qtbase", "_", folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
    InstallDesktopTranslations();
    // A box belongs to the window it is shown over, so a window manager keeps it above
    // that window, always-on-top windows included.
    // It opens where the other dialogs open, not over its owner, which may be the main
    // window spanning every monitor.
    TPlacedMessageBox box(IconFor(flags), WindowTitleFor(caption), QString::fromStdString(text),
                          QMessageBox::NoButton, TCustomForm::OwnerWindowFor(nullptr));
    // The text may come from a file or a reply: it is shown as written, never as markup
    // that could draw pictures or offer links to local files.
    box.setTextFormat(Qt::PlainText);
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setOpenExternalLinks(false);
    const TButtonRow row = ButtonsFor(flags);
    std::vector<QPushButton*> buttons;
    for (const auto& [standard, answer] : row)
        buttons.push_back(box.addButton(standard));
    // A default button beyond the last button falls back to the first.
    const std::size_t wanted = (flags & kDefaultButtonMask) >> kDefaultButtonShift;
    box.setDefaultButton(buttons[wanted < buttons.size() ? wanted : 0]);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return row[i].second;
    // Closed without a button (only possible where no button stands for Esc).
    return row.size() == 1 ? row.front().second : IDCANCEL;
}

} // namespace platform
