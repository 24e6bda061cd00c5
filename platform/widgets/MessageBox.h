#pragma once
// Modal message boxes shaped like the desktop's: the flags choose the buttons, the
// icon and the default button, and the answer is the identifier of the button pressed.

#include <cstdint>
#include <string>

// Buttons (low four bits of the flags).
constexpr std::uint32_t MB_OK = 0x0;
constexpr std::uint32_t MB_OKCANCEL = 0x1;
constexpr std::uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
constexpr std::uint32_t MB_YESNO = 0x4;
constexpr std::uint32_t MB_RETRYCANCEL = 0x5;
// Icons.
constexpr std::uint32_t MB_ICONERROR = 0x10;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONWARNING = 0x30;
constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
// Default button: the first unless one of these says otherwise.
constexpr std::uint32_t MB_DEFBUTTON2 = 0x100;
constexpr std::uint32_t MB_DEFBUTTON3 = 0x200;
constexpr std::uint32_t MB_DEFBUTTON4 = 0x300;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace platform {

// Loads Qt's own translations for the user's language (from the desktop's locale
// settings: LANGUAGE, LC_ALL, LC_MESSAGES, LANG), so the standard buttons and texts of
// boxes and controls speak it. Once per application; nothing when none is installed.
void InstallDesktopTranslations();

// Shows the box over the program's topmost window (the box belongs to it) and waits for
// the answer. Esc and the window's close button answer Cancel where there is a Cancel
// button, OK where OK is the only button, and No in a yes/no box.
int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags);

} // namespace platform
