#include "platform/widgets/MessageBox.h"

#include "platform/widgets/VclForm.h"
#include "platform/widgets/WindowTitle.h"

#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
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
    QMessageBox box(IconFor(flags), WindowTitleFor(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, TCustomForm::OwnerWindowFor(nullptr));
    // Where the other dialogs open, not over its owner, which may be the main window
    // spanning every monitor.
    TCustomForm::CentreOnPrimaryScreenWhenShown(box);
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
