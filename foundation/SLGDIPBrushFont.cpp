#include "foundation/SLGDIPBrushFont.h"

#include "foundation/SLGDIPGeometry.h"
#include "platform/widgets/VclGraphics.h"

#include <cstdlib>

namespace {
constexpr std::uint8_t kOpaque = 255;
constexpr ARGB kTransparentBlack = 0x00000000;
} // namespace

// --- TSLBrushEx ----------------------------------------------------------------------------------

const TClassInfo& TSLBrushEx::StaticClassInfo() {
    static const TClassInfo info{
        "TSLBrushEx",
        &TSLGDIPBaseEx::StaticClassInfo(),
        {Published("BrushType", &TSLBrushEx::GetBrushType, &TSLBrushEx::SetBrushType),
         Published("HatchBgColor", &TSLBrushEx::HatchBgColorBits, &TSLBrushEx::SetHatchBgColorBits),
         Published("HatchFgColor", &TSLBrushEx::HatchFgColorBits, &TSLBrushEx::SetHatchFgColorBits),
         Published("HatchStyle", &TSLBrushEx::GetHatchStyle, &TSLBrushEx::SetHatchStyle),
         Published("SolidColor", &TSLBrushEx::SolidColorBits, &TSLBrushEx::SetSolidColorBits),
         Published("TextureImage", &TSLBrushEx::TextureImage, &TSLBrushEx::SetTextureImage)},
        Factory<TSLBrushEx>()};
    return info;
}

TSLBrushEx::TSLBrushEx() : FTextureImage(std::make_unique<TSLImageEx>()) {
    FTextureImage->OnChange = [this](TPersistent* sender) { TextureChanged(sender); };
}

TSLBrushEx::~TSLBrushEx() {
    // The brush that tiles the image goes first; the image must not report its end.
    FGPBrush.reset();
    FTextureImage->OnChange = nullptr;
    FTextureImage.reset();
}

std::unique_ptr<TXmlPersistent> TSLBrushEx::Clone() const {
    return CloneByAssign(*this);
}

void TSLBrushEx::SetBrushType(BrushType value) {
    if (value == FBrushType)
        return;
    FBrushType = value;
    Changed();
}

void TSLBrushEx::SetHatchBgColor(ARGB value) {
    if (value == FHatchBgColor)
        return;
    FHatchBgColor = value;
    Changed();
}

void TSLBrushEx::SetHatchFgColor(ARGB value) {
    if (value == FHatchFgColor)
        return;
    FHatchFgColor = value;
    Changed();
}

void TSLBrushEx::SetHatchStyle(HatchStyle value) {
    if (value == FHatchStyle)
        return;
    FHatchStyle = value;
    Changed();
}

void TSLBrushEx::SetSolidColor(ARGB value) {
    if (value == FSolidColor)
        return;
    FSolidColor = value;
    Changed();
}

void TSLBrushEx::SetTextureImage(const TSLImageEx* image) {
    FTextureImage->Assign(image);
    Changed();
}

void TSLBrushEx::TextureChanged(TPersistent*) {
    Changed();
}

const TGPBrush& TSLBrushEx::GetBrush() {
    if (!Modified && FGPBrush)
        return *FGPBrush;
    FGPBrush.reset();
    FGPBrush = BuildBrush();
    Modified = false;
    return *FGPBrush;
}

std::unique_ptr<TGPBrush> TSLBrushEx::BuildBrush() const {
    switch (FBrushType) {
    case BrushTypeSolidColor:
        return std::make_unique<TGPSolidBrush>(FSolidColor);
    case BrushTypeHatchFill:
        return std::make_unique<TGPHatchBrush>(FHatchStyle, FHatchFgColor, FHatchBgColor);
    case BrushTypeNone:
        return std::make_unique<TGPSolidBrush>(kTransparentBlack);
    case BrushTypeTextureFill:
        return std::make_unique<TGPTextureBrush>(&FTextureImage->Image(), TWrapMode::Tile);
    case BrushTypePathGradient:
    case BrushTypeLinearGradient:
        return std::make_unique<TGPBrush>();
    }
    // A number out of range, read from an edited file: draw safely, that is invisibly.
    return std::make_unique<TGPSolidBrush>(kTransparentBlack);
}

// --- TSLFontEx -----------------------------------------------------------------------------------

const TClassInfo& TSLFontEx::StaticClassInfo() {
    static const TClassInfo info{
        "TSLFontEx",
        &TSLGDIPBaseEx::StaticClassInfo(),
        {Published("Bold", &TSLFontEx::GetBold, &TSLFontEx::SetBold),
         Published("Brush", &TSLFontEx::Brush, &TSLFontEx::SetBrush),
         Published("FontName", &TSLFontEx::GetFontName, &TSLFontEx::SetFontName),
         Published("Italic", &TSLFontEx::GetItalic, &TSLFontEx::SetItalic),
         Published("Size", &TSLFontEx::GetSize, &TSLFontEx::SetSize),
         Published("Strikeout", &TSLFontEx::GetStrikeout, &TSLFontEx::SetStrikeout),
         Published("Underline", &TSLFontEx::GetUnderline, &TSLFontEx::SetUnderline)},
        Factory<TSLFontEx>()};
    return info;
}

TSLFontEx::TSLFontEx() : FBrush(std::make_unique<TSLBrushEx>()) {
    FBrush->OnChange = [this](TPersistent* sender) { BrushChanged(sender); };
    FBrush->SetBrushType(BrushTypeSolidColor);
}

TSLFontEx::~TSLFontEx() {
    // The brush goes first and must not report its end to a font being destroyed.
    FBrush->OnChange = nullptr;
    FBrush.reset();
    FGPFont.reset();
}

std::unique_ptr<TXmlPersistent> TSLFontEx::Clone() const {
    return CloneByAssign(*this);
}

void TSLFontEx::SetBold(bool value) {
    if (value == FBold)
        return;
    FBold = value;
    Changed();
}

void TSLFontEx::SetBrush(const TSLBrushEx* brush) {
    FBrush->Assign(brush);
}

void TSLFontEx::SetFontName(const std::string& value) {
    if (value == FFontName)
        return;
    FFontName = value;
    Changed();
}

void TSLFontEx::SetItalic(bool value) {
    if (value == FItalic)
        return;
    FItalic = value;
    Changed();
}

void TSLFontEx::SetSize(float value) {
    if (SameValue(value, FSize))
        return;
    FSize = value;
    Changed();
}

void TSLFontEx::SetStrikeout(bool value) {
    if (value == FStrikeout)
        return;
    FStrikeout = value;
    Changed();
}

void TSLFontEx::SetUnderline(bool value) {
    if (value == FUnderline)
        return;
    FUnderline = value;
    Changed();
}

std::int32_t TSLFontEx::GetStyle() const {
    std::int32_t style = FontStyleRegular;
    if (FBold)
        style |= FontStyleBold;
    if (FItalic)
        style |= FontStyleItalic;
    if (FStrikeout)
        style |= FontStyleStrikeout;
    if (FUnderline)
        style |= FontStyleUnderline;
    return style;
}

const TGPFont& TSLFontEx::GetFont() {
    if (!Modified && FGPFont)
        return *FGPFont;
    FGPFont.reset();
    TSLInstalledFontFamilies& installed = InstalledFontFamilies();
    const TGPFontFamily* found = installed.Find(FFontName);
    if (!found) {
        FFontName = DefaultFontName; // kept and saved, without notification
        found = installed.Find(FFontName);
    }
    // A font without a family would draw no text at all, and no scale would show a number:
    // where even the default family is missing, take the one the system draws in its place.
    const TGPFontFamily family = found ? *found : TGPFontFamily::Substitute(FFontName);
    FGPFont = std::make_unique<TGPFont>(&family, FSize, GetStyle(), UnitPoint);
    Modified = false;
    return *FGPFont;
}

void TSLFontEx::AssignFont(const TFont& font) {
    FFontName = font.Name();
    FSize = static_cast<float>(std::abs(font.Size()));
    FBold = font.Style().Bold;
    FItalic = font.Style().Italic;
    FUnderline = font.Style().Underline;
    FStrikeout = font.Style().StrikeOut;
    FBrush->SetBrushType(BrushTypeSolidColor);
    FBrush->SetSolidColor(TSLGDIPfn::ColorToARGB(kOpaque, font.Color()));
    Changed();
}

void TSLFontEx::BrushChanged(TPersistent*) {
    Changed();
}

// --- TSLInstalledFontFamilies --------------------------------------------------------------------

TSLInstalledFontFamilies::TSLInstalledFontFamilies() {
    Refresh();
}

void TSLInstalledFontFamilies::Refresh() {
    const TGPInstalledFontCollection collection;
    FFamilies.clear();
    FNames.clear();
    for (const TGPFontFamily& family : collection.GetFamilies()) {
        FFamilies.push_back(std::make_unique<TGPFontFamily>(family));
        FNames.push_back(family.GetFamilyName());
    }
}

const TGPFontFamily* TSLInstalledFontFamilies::Find(const std::string& name) {
    Refresh();
    for (std::size_t i = 0; i < FNames.size(); ++i)
        if (TGPFontFamily::SameName(FNames[i], name))
            return FFamilies[i].get();
    return nullptr;
}
