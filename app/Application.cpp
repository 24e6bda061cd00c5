#include "app/Application.h"

#include "foundation/SLVclUtils.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
    TSLVclfn::MessageBox(error.what(), applicationDisplayName().toStdString(),
                         MB_OK | MB_ICONERROR);
}
