#include "platform/widgets/VclGraphics.h"
#include "platform/system/TextRules.h"

#include "platform/desktop/Screen.h"

#include <QApplication>
#include <QPalette>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>

namespace {
struct TColorIdent {
    TColor Value;
    const char* Ident;
};

constexpr TColor System(int index) {
    return clSystemColor | index;
}

// The named colours of the class library; the first name of a value is the one written.
constexpr std::array kColorIdents{
    TColorIdent{clBlack, "clBlack"},
    TColorIdent{0x000080, "clMaroon"},
    TColorIdent{0x008000, "clGreen"},
    TColorIdent{0x008080, "clOlive"},
    TColorIdent{0x800000, "clNavy"},
    TColorIdent{0x800080, "clPurple"},
    TColorIdent{0x808000, "clTeal"},
    TColorIdent{0x808080, "clGray"},
    TColorIdent{0xC0C0C0, "clSilver"},
    TColorIdent{clRed, "clRed"},
    TColorIdent{0x00FF00, "clLime"},
    TColorIdent{0x00FFFF, "clYellow"},
    TColorIdent{0xFF0000, "clBlue"},
    TColorIdent{clFuchsia, "clFuchsia"},
    TColorIdent{0xFFFF00, "clAqua"},
    TColorIdent{clWhite, "clWhite"},
    TColorIdent{0xC0DCC0, "clMoneyGreen"},
    TColorIdent{0xF0CAA6, "clSkyBlue"},
    TColorIdent{0xF0FBFF, "clCream"},
    TColorIdent{0xA4A0A0, "clMedGray"},
    TColorIdent{System(10), "clActiveBorder"},
    TColorIdent{System(2), "clActiveCaption"},
    TColorIdent{System(12), "clAppWorkSpace"},
    TColorIdent{System(1), "clBackground"},
    TColorIdent{clBtnFace, "clBtnFace"},
    TColorIdent{System(20), "clBtnHighlight"},
    TColorIdent{System(16), "clBtnShadow"},
    TColorIdent{System(18), "clBtnText"},
    TColorIdent{System(9), "clCaptionText"},
    TColorIdent{clDefault, "clDefault"},
    TColorIdent{System(27), "clGradientActiveCaption"},
    TColorIdent{System(28), "clGradientInactiveCaption"},
    TColorIdent{System(17), "clGrayText"},
    TColorIdent{System(13), "clHighlight"},
    TColorIdent{System(14), "clHighlightText"},
    TColorIdent{System(26), "clHotLight"},
    TColorIdent{System(11), "clInactiveBorder"},
    TColorIdent{System(3), "clInactiveCaption"},
    TColorIdent{System(19), "clInactiveCaptionText"},
    TColorIdent{System(24), "clInfoBk"},
    TColorIdent{System(23), "clInfoText"},
    TColorIdent{System(4), "clMenu"},
    TColorIdent{System(30), "clMenuBar"},
    TColorIdent{System(29), "clMenuHighlight"},
    TColorIdent{System(7), "clMenuText"},
    TColorIdent{clNone, "clNone"},
    TColorIdent{System(0), "clScrollBar"},
    TColorIdent{System(21), "cl3DDkShadow"},
    TColorIdent{System(22), "cl3DLight"},
    TColorIdent{System(5), "clWindow"},
    TColorIdent{System(6), "clWindowFrame"},
    TColorIdent{clWindowText, "clWindowText"},
};

QPalette::ColorRole SystemColorRole(int index) {
    switch (index) {
    case 5:
        return QPalette::Base;
    case 8:
    case 18:
        return QPalette::WindowText;
    case 13:
    case 29:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 16:
        return QPalette::Dark;
    case 20:
    case 22:
        return QPalette::Light;
    case 21:
        return QPalette::Shadow;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    case 7:
    case 9:
    case 19:
        return QPalette::ButtonText;
    case 17:
        return QPalette::PlaceholderText;
    default:
        return QPalette::Window;
    }
}
} // namespace

// The largest character height a font is drawn with, pixels: beyond it a size from a
// damaged language file would only make the font system work for nothing.
constexpr long long kMaxPixelSize = 10000;

std::optional<std::string> ColorToIdent(TColor color) {
    for (const TColorIdent& entry : kColorIdents)
        if (entry.Value == color)
            return std::string(entry.Ident);
    return std::nullopt;
}

std::optional<TColor> IdentToColor(const std::string& ident) {
    for (const TColorIdent& entry : kColorIdents)
        if (platform::SameTextAscii(ident, entry.Ident))
            return entry.Value;
    return std::nullopt;
}

QColor ColorToQColor(TColor color) {
    if ((color & clSystemColor) == clSystemColor)
        return QApplication::palette().color(SystemColorRole(color & 0xFF));
    const auto rgb = static_cast<std::uint32_t>(color);
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

TFont::TFont() {
    // The windows were laid out at 96 pixels per inch; their font grows with the
    // desktop's resolution, so its size in points stays what it was made as.
    if (QApplication::instance())
        PixelsPerInch_ = platform::PixelsPerInch();
    Height_ = static_cast<int>(
        std::lround(double(kDesignedHeight) * PixelsPerInch_ / kDesignedPixelsPerInch));
}

void TFont::SetName(const std::string& name) {
    Name_ = name;
    Changed();
}

void TFont::SetColor(TColor color) {
    Color_ = color;
    Changed();
}

void TFont::SetHeight(int height) {
    Height_ = height;
    Changed();
}

// Points and pixels convert with rounding to the nearest whole number, halves away
// from zero: 8 points at 96 pixels per inch is a height of -11.
int TFont::Size() const {
    return -static_cast<int>(std::lround(double(Height_) * kPointsPerInch / PixelsPerInch_));
}

void TFont::SetSize(int points) {
    SetHeight(-static_cast<int>(std::lround(double(points) * PixelsPerInch_ / kPointsPerInch)));
}

void TFont::SetPitch(TFontPitch pitch) {
    Pitch_ = pitch;
    Changed();
}

void TFont::SetStyle(const TFontStyles& style) {
    Style_ = style;
    Changed();
}

void TFont::Assign(const TFont& source) {
    Name_ = source.Name_;
    Color_ = source.Color_;
    Height_ = source.Height_;
    Pitch_ = source.Pitch_;
    Style_ = source.Style_;
    PixelsPerInch_ = source.PixelsPerInch_;
    Changed();
}

QFont TFont::ToQFont() const {
    QFont font(QString::fromStdString(Name_));
    // The magnitude in 64 bits: the most negative height has no 32-bit absolute value.
    const long long pixels = std::llabs(static_cast<long long>(Height_));
    font.setPixelSize(static_cast<int>(std::clamp<long long>(pixels, 1, kMaxPixelSize)));
    font.setBold(Style_.Bold);
    font.setItalic(Style_.Italic);
    font.setUnderline(Style_.Underline);
    font.setStrikeOut(Style_.StrikeOut);
    if (Pitch_ == TFontPitch::fpFixed)
        font.setFixedPitch(true);
    return font;
}

void TFont::Changed() {
    if (OnChange)
        OnChange();
}
