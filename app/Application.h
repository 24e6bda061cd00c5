#pragma once
// The program's application object: Qt's, with the last line of defence the program's
// windows rely on. An exception that escapes an event handler is shown to the user in a
// message box and the program goes on with its next event, instead of ending.

#include <QApplication>

#include <exception>
#include <string>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The exception's message in a box with a stop sign, the program's title as caption.
    static void ShowException(const std::exception& error);

    // The program's title, as the application object keeps it. It is not Qt's display
    // name, which Qt would append to the caption of every window.
    static std::string Title();
    static void SetTitle(const std::string& title);
};
