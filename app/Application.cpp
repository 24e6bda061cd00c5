#include "app/Application.h"

#include "foundation/SLVclUtils.h"

namespace {
constexpr const char* kTitleProperty = "tarselTitle";
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Standard buttons and texts of Qt's own dialogs and controls in the user's language.
    platform::InstallDesktopTranslations();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(std::runtime_error("Unknown exception"));
    }
    return false;
}

void TApplication::ShowException(const std::exception& error) {
    TSLVclfn::MessageBox(error.what(), Title(), MB_OK | MB_ICONERROR);
}

std::string TApplication::Title() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application ? application->property(kTitleProperty).toString().toStdString()
                       : std::string();
}

void TApplication::SetTitle(const std::string& title) {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->setProperty(kTitleProperty, QString::fromStdString(title));
}
