#pragma once
// Fonts for drawing text: the installed font families, a font made of a family, an em size
// and style bits, and the string format that lays text out (horizontally, or vertically
// with the glyphs turned a quarter clockwise so that the text reads from top to bottom).

#include "platform/graphics/GPTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Style bits of a font; combine with |.
enum TFontStyle : std::int32_t {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

// Units of lengths: font sizes and source rectangles of images.
enum TUnit : std::int32_t {
    UnitWorld = 0,   // the drawing's world coordinates: pixels before the transform
    UnitDisplay = 1, // pixels
    UnitPixel = 2,
    UnitPoint = 3, // 1/72 inch
    UnitInch = 4,
    UnitDocument = 5, // 1/300 inch
    UnitMillimeter = 6,
};

// Layout flags of a string format; combine with |. Only the direction flags change how
// text is laid out here; the others are kept for whoever reads them back.
enum TStringFormatFlags : std::int32_t {
    StringFormatFlagsDirectionRightToLeft = 0x0001,
    StringFormatFlagsDirectionVertical = 0x0002,
    StringFormatFlagsNoFitBlackBox = 0x0004,
    StringFormatFlagsDisplayFormatControl = 0x0020,
    StringFormatFlagsNoFontFallback = 0x0400,
    StringFormatFlagsMeasureTrailingSpaces = 0x0800,
    StringFormatFlagsNoWrap = 0x1000,
    StringFormatFlagsLineLimit = 0x2000,
    StringFormatFlagsNoClip = 0x4000,
};

// One installed font family, or none (a default-made family, or a name that is not
// installed). Families are plain values: a copy is a clone.
class TGPFontFamily {
public:
    TGPFontFamily() = default;
    // The installed family whose name equals name without regard to case; none otherwise.
    explicit TGPFontFamily(const std::string& name);

    // The family that the system's font configuration draws for name. Unlike the
    // constructor this finds a family for any name while at least one font is installed,
    // an alias such as "sans-serif" or a missing family included.
    static TGPFontFamily Substitute(const std::string& name);

    // Whether two family names are the same without regard to case (Unicode case folding).
    static bool SameName(const std::string& a, const std::string& b);

    bool IsAvailable() const { return !FName.empty(); }
    // The family's name as installed (UTF-8), empty for none.
    const std::string& GetFamilyName() const { return FName; }

private:
    friend class TGPInstalledFontCollection;
    struct TInstalled {};
    TGPFontFamily(TInstalled, std::string name) : FName(std::move(name)) {}

    std::string FName;
};

// The font families installed on the system, in the order the font system lists them,
// each once by its name: a family that several foundries offer is one family here.
class TGPInstalledFontCollection {
public:
    TGPInstalledFontCollection();

    const std::vector<TGPFontFamily>& GetFamilies() const { return FFamilies; }

private:
    std::vector<TGPFontFamily> FFamilies;
};

class TGPFont {
public:
    struct TImpl; // defined in platform/graphics/GPQtDrawAccess.h

    // A font of the family (none, or an unavailable family, makes a font that is not
    // available: text drawn with it shows nothing) with the em size in unit. UnitDisplay
    // and UnitWorld count as pixels.
    TGPFont(const TGPFontFamily* family, float emSize, std::int32_t style = FontStyleRegular,
            TUnit unit = UnitPoint);
    ~TGPFont();
    TGPFont(const TGPFont&) = delete;
    TGPFont& operator=(const TGPFont&) = delete;

    bool IsAvailable() const;
    std::string GetFamilyName() const;
    float GetSize() const { return FSize; }
    std::int32_t GetStyle() const { return FStyle; }
    TUnit GetUnit() const { return FUnit; }

    TImpl& Native() { return *FImpl; }
    const TImpl& Native() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
    float FSize = 0;
    std::int32_t FStyle = FontStyleRegular;
    TUnit FUnit = UnitPoint;
};

class TGPStringFormat {
public:
    // language is a language id (0 the neutral language); text is laid out alike for all.
    explicit TGPStringFormat(std::int32_t formatFlags = 0, std::uint16_t /*language*/ = 0)
        : FFlags(formatFlags) {}

    void SetFormatFlags(std::int32_t flags) { FFlags = flags; }
    bool IsVertical() const { return (FFlags & StringFormatFlagsDirectionVertical) != 0; }

private:
    std::int32_t FFlags = 0;
};
