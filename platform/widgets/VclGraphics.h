#pragma once
// Colours and fonts of the window layer, in the terms the language file stores them:
// a colour is a 32-bit value (red in the low byte; system colours have the high byte
// 0xFF and the system colour index in the low byte), a font has a face name, a colour,
// a height in pixels (negative: character height) and a size in points.

#include <QColor>
#include <QFont>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

using TColor = std::int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// "clRed" and the other colour identifiers, compared without regard to letter case.
std::optional<std::string> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(const std::string& ident);
// The colour as Qt paints it; system colours come from the application palette.
QColor ColorToQColor(TColor color);

enum class TFontPitch { fpDefault = 0, fpVariable = 1, fpFixed = 2 };

struct TFontStyles {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFontStyles&) const = default;
};

class TFont {
public:
    static constexpr int kPointsPerInch = 72;

    TFont();

    const std::string& Name() const { return Name_; }
    void SetName(const std::string& name);
    TColor Color() const { return Color_; }
    void SetColor(TColor color);
    // Pixels; negative for the character height without internal leading.
    int Height() const { return Height_; }
    void SetHeight(int height);
    // Points, derived from the height at the font's pixels per inch (rounded).
    int Size() const;
    void SetSize(int points);
    TFontPitch Pitch() const { return Pitch_; }
    void SetPitch(TFontPitch pitch);
    const TFontStyles& Style() const { return Style_; }
    void SetStyle(const TFontStyles& style);

    void Assign(const TFont& source);
    QFont ToQFont() const;

    // Called after every change; the control that owns the font applies it.
    std::function<void()> OnChange;

private:
    void Changed();

    // The layouts' font: 11 px characters at 96 pixels per inch (8 points).
    static constexpr int kDesignedHeight = -11;
    static constexpr int kDesignedPixelsPerInch = 96;

    std::string Name_ = "Tahoma";
    TColor Color_ = clWindowText;
    int Height_ = kDesignedHeight;
    TFontPitch Pitch_ = TFontPitch::fpDefault;
    TFontStyles Style_;
    int PixelsPerInch_ = 96;
};
