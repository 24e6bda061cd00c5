#pragma once
// Saved descriptions of a brush and of a font (with the brush that paints its text), and
// the list of installed font families that fonts look their family up in. Each
// description builds its drawing object on request and keeps it until one of its
// properties changes (see TSLGDIPBaseEx). Colours are ARGB; in the saved form they are the
// signed decimal number of their 32 bits (opaque black FF000000 is -16777216).

#include "foundation/SLGDIPImage.h"
#include "foundation/SLGDIPUtils.h"
#include "platform/graphics/GPBrush.h"
#include "platform/graphics/GPFont.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFont;

enum BrushType : std::int32_t {
    BrushTypeSolidColor = 0,
    BrushTypeHatchFill = 1,
    BrushTypeTextureFill = 2,
    BrushTypePathGradient = 3,
    BrushTypeLinearGradient = 4,
    BrushTypeNone = 5,
};

class TSLBrushEx : public TSLGDIPBaseEx {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Solid opaque black; hatches horizontal, opaque black over transparent black.
    TSLBrushEx();
    ~TSLBrushEx() override;

    std::unique_ptr<TXmlPersistent> Clone() const override;

    // Setters notify only a real change.
    BrushType GetBrushType() const { return FBrushType; }
    void SetBrushType(BrushType value);
    ARGB GetHatchBgColor() const { return FHatchBgColor; }
    void SetHatchBgColor(ARGB value);
    ARGB GetHatchFgColor() const { return FHatchFgColor; }
    void SetHatchFgColor(ARGB value);
    HatchStyle GetHatchStyle() const { return FHatchStyle; }
    void SetHatchStyle(HatchStyle value);
    ARGB GetSolidColor() const { return FSolidColor; }
    void SetSolidColor(ARGB value);
    // The picture that the texture kind tiles; owned. A change of it counts as a change of
    // the brush.
    TSLImageEx* TextureImage() const { return FTextureImage.get(); }
    // Copies image into the owned one and notifies, even when nothing differed.
    void SetTextureImage(const TSLImageEx* image);

    // The brush for the drawing at hand, rebuilt first after a change. The description
    // owns it; it stays valid until the next call after a change. Solid and "none" (a fully
    // transparent solid) brushes, hatches of the hatch style with the foreground colour over
    // the background colour, the texture image tiled from the world origin. The gradient
    // kinds carry no parameters: they give a brush that paints nothing, and so does a type
    // out of range.
    const TGPBrush& GetBrush();

private:
    std::unique_ptr<TGPBrush> BuildBrush() const;
    void TextureChanged(TPersistent* sender);
    // The colours as saved: their 32 bits as a signed number.
    std::int32_t HatchBgColorBits() const { return std::int32_t(FHatchBgColor); }
    void SetHatchBgColorBits(std::int32_t bits) { SetHatchBgColor(ARGB(bits)); }
    std::int32_t HatchFgColorBits() const { return std::int32_t(FHatchFgColor); }
    void SetHatchFgColorBits(std::int32_t bits) { SetHatchFgColor(ARGB(bits)); }
    std::int32_t SolidColorBits() const { return std::int32_t(FSolidColor); }
    void SetSolidColorBits(std::int32_t bits) { SetSolidColor(ARGB(bits)); }

    BrushType FBrushType = BrushTypeSolidColor;
    ARGB FHatchBgColor = 0x00000000;
    ARGB FHatchFgColor = 0xFF000000;
    HatchStyle FHatchStyle = HatchStyleHorizontal;
    ARGB FSolidColor = 0xFF000000;
    std::unique_ptr<TSLImageEx> FTextureImage;
    std::unique_ptr<TGPBrush> FGPBrush;
};

class TSLFontEx : public TSLGDIPBaseEx {
public:
    static constexpr const char* DefaultFontName = "Tahoma";
    static constexpr float DefaultSize = 9.0f; // points

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // 9-point regular Tahoma in solid opaque black.
    TSLFontEx();
    ~TSLFontEx() override;

    std::unique_ptr<TXmlPersistent> Clone() const override;

    bool GetBold() const { return FBold; }
    void SetBold(bool value);
    // The brush that paints the text; owned. A change of it counts as a change of the font.
    TSLBrushEx* Brush() const { return FBrush.get(); }
    // Copies brush into the owned one, whose own notification marks the font changed.
    void SetBrush(const TSLBrushEx* brush);
    // The family name; a change of letter case alone is a change.
    const std::string& GetFontName() const { return FFontName; }
    void SetFontName(const std::string& value);
    bool GetItalic() const { return FItalic; }
    void SetItalic(bool value);
    // Points; a change within the single-precision tolerance of SameValue is none.
    float GetSize() const { return FSize; }
    void SetSize(float value);
    bool GetStrikeout() const { return FStrikeout; }
    void SetStrikeout(bool value);
    bool GetUnderline() const { return FUnderline; }
    void SetUnderline(bool value);

    // The style bits of the drawing font: bold 1, italic 2, underline 4, strikeout 8.
    std::int32_t GetStyle() const;

    // The font for the drawing at hand, rebuilt first after a change; owned like
    // TSLBrushEx::GetBrush's brush. A family name that is not installed is replaced by
    // "Tahoma" (kept and saved, without notification); where "Tahoma" is not installed
    // either, the font is drawn in the family the system's font configuration puts in its
    // place, so that text never silently disappears.
    const TGPFont& GetFont();

    // Takes name, size (whole points), style and colour (as an opaque solid text brush) from
    // a window font, then notifies once more for the font itself.
    void AssignFont(const TFont& font);

private:
    void BrushChanged(TPersistent* sender);

    bool FBold = false;
    std::unique_ptr<TSLBrushEx> FBrush;
    std::string FFontName = DefaultFontName;
    bool FItalic = false;
    float FSize = DefaultSize;
    bool FStrikeout = false;
    bool FUnderline = false;
    std::unique_ptr<TGPFont> FGPFont;
};

// The installed font families and their names, in the order the font system lists them
// (duplicates kept). Not saved.
class TSLInstalledFontFamilies {
public:
    // Reads the families.
    TSLInstalledFontFamilies();

    // Reads the installed families again; families handed out before are gone.
    void Refresh();
    // Refresh, then the first family whose name equals name without regard to case, or
    // null. Valid until the next Refresh or Find.
    const TGPFontFamily* Find(const std::string& name);

    int GetCount() const { return static_cast<int>(FFamilies.size()); }
    const std::vector<std::string>& Names() const { return FNames; }
    const TGPFontFamily& GetFamily(int index) const { return *FFamilies.at(index); }

private:
    std::vector<std::unique_ptr<TGPFontFamily>> FFamilies;
    std::vector<std::string> FNames;
};
