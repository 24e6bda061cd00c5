// Brush and font descriptions: rebuilding after changes, painting, the saved form, and the
// fonts the instruments write their numbers with.
#include "foundation/SLGDIPBrushFont.h"

#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPPen.h"
#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/widgets/VclGraphics.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <sstream>

namespace {
constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlue = 0xFF0000FF;
constexpr ARGB kRed = 0xFFFF0000;
constexpr const char* kMissingFamily = "No Such Family 7f3e";

// Counts OnChange calls of a description.
struct TChangeCounter {
    explicit TChangeCounter(TXmlPersistent& object) {
        object.OnChange = [this](TPersistent*) { ++Count; };
    }
    int Count = 0;
};

ARGB SolidColorOf(const TGPBrush& brush) {
    const auto* solid = dynamic_cast<const TGPSolidBrush*>(&brush);
    return solid ? solid->GetColor() : 0x12345678;
}

std::unique_ptr<TGPBitmap> FilledWith(TSLBrushEx& brush, ARGB ground) {
    auto canvas = std::make_unique<TGPBitmap>(16, 16);
    TGPGraphics graphics(*canvas);
    graphics.Clear(ground);
    graphics.FillRectangle(brush.GetBrush(), 0, 0, 16, 16);
    return canvas;
}

ARGB Pixel(const TGPBitmap& bitmap, int x, int y) {
    return bitmap.Native().Image.pixel(x, y);
}

pugi::xml_document Saved(TXmlPersistent& object) {
    std::stringstream stream;
    object.SaveToStream(stream);
    pugi::xml_document document;
    document.load_string(stream.str().c_str());
    return document;
}

std::string InstalledFamilyName() {
    return TGPFontFamily::Substitute("sans-serif").GetFamilyName();
}
} // namespace

TEST(SLGDIPfn, ColorToARGBTakesTheLowThreeBytesAsTheyStand) {
    EXPECT_EQ(TSLGDIPfn::ColorToARGB(255, 0x563412), 0xFF123456u);
    EXPECT_EQ(TSLGDIPfn::ColorToARGB(0, 0x563412), 0x00123456u);
    EXPECT_EQ(TSLGDIPfn::ColorToARGB(255, clBtnFace), 0xFF0F0000u); // not looked up
    EXPECT_EQ(TSLGDIPfn::ColorToARGB(255, clRed), 0xFFFF0000u);
}

TEST(SLGDIPfn, QualitySwitchesAntiAliasingOnAndOff) {
    for (const bool high : {false, true}) {
        TGPBitmap canvas(20, 20);
        TGPGraphics graphics(canvas);
        graphics.Clear(kWhite);
        TSLGDIPfn::SetGraphicsQuality(graphics, high);
        graphics.DrawLine(TGPPen(0xFF000000), 0, 0, 19, 7);
        int blended = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                blended += Pixel(canvas, x, y) != kWhite && Pixel(canvas, x, y) != 0xFF000000;
        EXPECT_EQ(blended > 0, high);
        EXPECT_EQ(graphics.GetInterpolationMode(),
                  high ? InterpolationModeHighQualityBicubic : InterpolationModeNearestNeighbor);
        EXPECT_EQ(graphics.GetTextRenderingHint(),
                  high ? TextRenderingHintAntiAlias : TextRenderingHintSystemDefault);
    }
}

TEST(SLBrushEx, KeepsItsBrushUntilARealChange) {
    TSLBrushEx brush;
    TChangeCounter changes(brush);
    const TGPBrush* first = &brush.GetBrush();
    EXPECT_EQ(SolidColorOf(*first), 0xFF000000u);
    EXPECT_EQ(&brush.GetBrush(), first);

    brush.SetSolidColor(0xFF000000);
    EXPECT_EQ(changes.Count, 0);
    EXPECT_EQ(&brush.GetBrush(), first);

    brush.SetSolidColor(kBlue);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_EQ(SolidColorOf(brush.GetBrush()), kBlue);
}

TEST(SLBrushEx, ChangeInsideAnUpdateRebuildsBeforeAnyNotification) {
    TSLBrushEx brush;
    TChangeCounter changes(brush);
    brush.GetBrush();
    brush.BeginUpdate();
    brush.SetSolidColor(kRed);
    EXPECT_TRUE(brush.GetModified());
    EXPECT_EQ(changes.Count, 0);
    EXPECT_EQ(SolidColorOf(brush.GetBrush()), kRed);
    EXPECT_FALSE(brush.GetModified());
    brush.EndUpdate();
    EXPECT_EQ(changes.Count, 1);
}

TEST(SLBrushEx, HatchPaintsForegroundLinesOverTheBackground) {
    TSLBrushEx brush;
    brush.SetBrushType(BrushTypeHatchFill);
    brush.SetHatchFgColor(kBlue);
    brush.SetHatchBgColor(kWhite);
    const auto canvas = FilledWith(brush, kRed);
    int blue = 0, white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            blue += Pixel(*canvas, x, y) == kBlue;
            white += Pixel(*canvas, x, y) == kWhite;
        }
    EXPECT_EQ(blue, 2 * 16); // two horizontal lines, 8 pixels apart
    EXPECT_EQ(white, 14 * 16);
}

TEST(SLBrushEx, NoneAndTheGradientKindsPaintNothing) {
    for (const BrushType type :
         {BrushTypeNone, BrushTypePathGradient, BrushTypeLinearGradient, BrushType(99)}) {
        TSLBrushEx brush;
        brush.SetBrushType(type);
        const auto canvas = FilledWith(brush, kRed);
        EXPECT_EQ(Pixel(*canvas, 8, 8), kRed) << "type " << type;
    }
}

TEST(SLBrushEx, SavesColoursAsSignedNumbersAndReadsThemBack) {
    TSLBrushEx fresh;
    const pugi::xml_document document = Saved(fresh);
    const pugi::xml_node saved = document.document_element();
    EXPECT_STREQ(saved.attribute("BrushType").value(), "0");
    EXPECT_STREQ(saved.attribute("HatchStyle").value(), "0");
    EXPECT_STREQ(saved.attribute("HatchBgColor").value(), "0");
    EXPECT_STREQ(saved.attribute("HatchFgColor").value(), "-16777216");
    EXPECT_STREQ(saved.attribute("SolidColor").value(), "-16777216");

    TSLBrushEx brush;
    brush.SetBrushType(BrushTypeHatchFill);
    brush.SetHatchStyle(HatchStyleSolidDiamond);
    brush.SetHatchBgColor(0x80FFFFFF);
    std::stringstream stream;
    brush.SaveToStream(stream);
    TSLBrushEx loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.GetBrushType(), BrushTypeHatchFill);
    EXPECT_EQ(loaded.GetHatchStyle(), HatchStyleSolidDiamond);
    EXPECT_EQ(loaded.GetHatchBgColor(), 0x80FFFFFFu);
}

TEST(SLFontEx, DefaultFontDrawsTextEvenWithoutTahomaInstalled) {
    TSLFontEx font;
    const TGPFont& built = font.GetFont();
    EXPECT_EQ(font.GetFontName(), "Tahoma");
    EXPECT_FLOAT_EQ(built.GetSize(), 9.0f);
    EXPECT_EQ(built.GetStyle(), FontStyleRegular);
    EXPECT_EQ(built.GetUnit(), UnitPoint);
    ASSERT_TRUE(built.IsAvailable());
    if (!TGPFontFamily("Tahoma").IsAvailable())
        EXPECT_EQ(built.GetFamilyName(), TGPFontFamily::Substitute("Tahoma").GetFamilyName());
    EXPECT_EQ(SolidColorOf(font.Brush()->GetBrush()), 0xFF000000u);

    TGPBitmap canvas(60, 30);
    TGPGraphics graphics(canvas);
    graphics.Clear(kWhite);
    graphics.DrawString("10", built, {2, 2}, font.Brush()->GetBrush());
    int inked = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            inked += Pixel(canvas, x, y) != kWhite;
    EXPECT_GT(inked, 10);
}

TEST(SLFontEx, MissingFamilyFallsBackToTahomaQuietly) {
    TSLFontEx font;
    TChangeCounter changes(font);
    font.SetFontName(kMissingFamily);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_TRUE(font.GetFont().IsAvailable());
    EXPECT_EQ(font.GetFontName(), "Tahoma");
    EXPECT_EQ(changes.Count, 1);
}

TEST(SLFontEx, LetterCaseChangesTheNameButNotTheFamily) {
    const std::string family = InstalledFamilyName();
    std::string lower = family;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, family);
    TSLFontEx font;
    font.SetFontName(family);
    font.GetFont();
    TChangeCounter changes(font);
    font.SetFontName(lower);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_EQ(font.GetFont().GetFamilyName(), family);
    EXPECT_EQ(font.GetFontName(), lower);
}

TEST(SLFontEx, SizeChangesBeyondTheTolerance) {
    TSLFontEx font;
    TChangeCounter changes(font);
    font.SetSize(9.0005f);
    EXPECT_EQ(changes.Count, 0);
    EXPECT_FLOAT_EQ(font.GetSize(), 9.0f);
    font.SetSize(9.01f);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_FLOAT_EQ(font.GetFont().GetSize(), 9.01f);
}

TEST(SLFontEx, StyleBitsFollowTheFlags) {
    TSLFontEx font;
    font.SetBold(true);
    font.SetUnderline(true);
    EXPECT_EQ(font.GetFont().GetStyle(), 5);
    font.SetItalic(true);
    font.SetStrikeout(true);
    EXPECT_EQ(font.GetFont().GetStyle(), 15);
}

TEST(SLFontEx, BrushChangesCountAsFontChanges) {
    TSLFontEx font;
    font.GetFont();
    TChangeCounter changes(font);
    font.Brush()->SetSolidColor(kBlue);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_TRUE(font.GetModified());

    TSLBrushEx red;
    red.SetSolidColor(kRed);
    font.SetBrush(&red);
    EXPECT_EQ(changes.Count, 2);
    EXPECT_EQ(font.Brush()->GetSolidColor(), kRed);
    EXPECT_NE(font.Brush(), &red);
}

TEST(SLFontEx, AssignFontTakesTheWindowFont) {
    TFont windowFont;
    windowFont.SetName("Courier");
    windowFont.SetSize(10);
    windowFont.SetStyle({.Bold = true});
    windowFont.SetColor(clRed);
    TSLFontEx font;
    TChangeCounter changes(font);
    font.AssignFont(windowFont);
    EXPECT_EQ(font.GetFontName(), "Courier");
    EXPECT_FLOAT_EQ(font.GetSize(), 10.0f);
    EXPECT_TRUE(font.GetBold());
    EXPECT_FALSE(font.GetItalic());
    EXPECT_EQ(font.Brush()->GetBrushType(), BrushTypeSolidColor);
    EXPECT_EQ(font.Brush()->GetSolidColor(), kRed);
    EXPECT_EQ(changes.Count, 2); // the brush's colour, then the font itself
}

TEST(SLFontEx, ClonesAndSavedFormsCarryTheBrush) {
    TSLFontEx font;
    font.SetFontName("Courier");
    font.SetSize(12);
    font.SetItalic(true);
    font.Brush()->SetSolidColor(kBlue);

    const auto clone = font.Clone();
    auto* copy = dynamic_cast<TSLFontEx*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetFontName(), "Courier");
    EXPECT_TRUE(copy->GetItalic());
    EXPECT_EQ(copy->Brush()->GetSolidColor(), kBlue);
    EXPECT_NE(copy->Brush(), font.Brush());

    const pugi::xml_document saved = Saved(font);
    EXPECT_STREQ(saved.document_element().child("Brush").attribute("SolidColor").value(),
                 "-16776961");
    std::stringstream stream;
    font.SaveToStream(stream);
    TSLFontEx loaded;
    loaded.LoadFromStream(stream);
    EXPECT_FLOAT_EQ(loaded.GetSize(), 12.0f);
    EXPECT_EQ(loaded.Brush()->GetSolidColor(), kBlue);
}

// The font system lists a family that several foundries offer once per foundry, with the
// foundry's name in brackets; here such a family is one family under its own name. The
// URW families of the base-35 set come from two or three foundries.
TEST(SLInstalledFontFamilies, FamiliesOfSeveralFoundriesAreFoundByTheirName) {
    TSLInstalledFontFamilies& families = InstalledFontFamilies();
    for (const std::string& name : families.Names())
        EXPECT_EQ(name.find(" ["), std::string::npos) << name;
    for (const char* name : {"Nimbus Sans", "URW Gothic", "C059", "P052"}) {
        const TGPFontFamily* found = families.Find(name);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(found->GetFamilyName(), name);
        EXPECT_EQ(std::count(families.Names().begin(), families.Names().end(), name), 1) << name;
    }
    TSLFontEx font;
    font.SetFontName("nimbus sans");
    EXPECT_EQ(font.GetFont().GetFamilyName(), "Nimbus Sans");
    EXPECT_EQ(font.GetFontName(), "nimbus sans") << "an installed family is kept, not replaced";
    FinalizeSLGDIPUtils();
}

TEST(SLInstalledFontFamilies, OneListFoundWithoutRegardToCase) {
    TSLInstalledFontFamilies& families = InstalledFontFamilies();
    EXPECT_EQ(&InstalledFontFamilies(), &families);
    ASSERT_GT(families.GetCount(), 0);
    EXPECT_EQ(families.Names().size(), std::size_t(families.GetCount()));
    std::string upper = families.Names().front();
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const TGPFontFamily* found = families.Find(upper);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetFamilyName(), families.Names().front());
    EXPECT_EQ(families.Find(kMissingFamily), nullptr);
    FinalizeSLGDIPUtils();
}
