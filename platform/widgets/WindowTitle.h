#pragma once
// Window titles as the window system is given them. A title travels to the X server in
// one request, and a request beyond the server's maximum length ends the connection, and
// with it the program: a language file's 20 MB AppTitle would do that. No window manager
// shows more than a line, so the title sent is cut to kMaxWindowTitleChars characters;
// the program itself keeps the whole text.

#include <QString>
#include <string>

namespace platform {

inline constexpr qsizetype kMaxWindowTitleChars = 4096;

inline QString WindowTitleFor(const std::string& caption) {
    QString title = QString::fromStdString(caption);
    if (title.size() <= kMaxWindowTitleChars)
        return title;
    qsizetype end = kMaxWindowTitleChars;
    if (title.at(end - 1).isHighSurrogate())
        --end; // never half a character
    title.truncate(end);
    return title;
}

} // namespace platform
