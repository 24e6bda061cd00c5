#include "platform/graphics/GPFont.h"
#include "platform/system/TextRules.h"

#include "platform/graphics/GPQtDrawAccess.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace {
constexpr double kPointsPerInch = 72.0;
constexpr double kDocumentUnitsPerInch = 300.0;
constexpr double kMillimetresPerInch = 25.4;

// The em size in points on a device of dpiY dots per inch.
double EmPoints(float size, TUnit unit, double dpiY) {
    switch (unit) {
    case UnitPoint:
        return size;
    case UnitInch:
        return size * kPointsPerInch;
    case UnitDocument:
        return size * kPointsPerInch / kDocumentUnitsPerInch;
    case UnitMillimeter:
        return size * kPointsPerInch / kMillimetresPerInch;
    case UnitWorld:
    case UnitDisplay:
    case UnitPixel:
        break;
    }
    return size * kPointsPerInch / dpiY;
}

// The font database names a family that several foundries offer "Name [foundry]"; the
// family itself, the one a user asks for, is the name without the foundry.
QString WithoutFoundry(const QString& family) {
    if (!family.endsWith(QLatin1Char(']')))
        return family;
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    return open > 0 ? family.left(open) : family;
}

// The installed families by name, each once, in the order the font database lists them.
QStringList InstalledFamilies() {
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        const QString name = WithoutFoundry(family);
        if (!names.contains(name, Qt::CaseSensitive))
            names.push_back(name);
    }
    return names;
}

// Family names are matched in Unicode case, as people write them.
std::string InstalledFamily(const std::string& name) {
    for (const QString& family : InstalledFamilies()) {
        std::string installed = family.toStdString();
        if (platform::SameTextUnicode(installed, name))
            return installed;
    }
    return {};
}
} // namespace

TGPFontFamily::TGPFontFamily(const std::string& name) : FName(InstalledFamily(name)) {}

TGPFontFamily TGPFontFamily::Substitute(const std::string& name) {
    QFont font(QString::fromStdString(name));
    // Ask for a real family: an alias or a missing name is resolved by the font system.
    return TGPFontFamily(QFontInfo(font).family().toStdString());
}

bool TGPFontFamily::SameName(const std::string& a, const std::string& b) {
    return platform::SameTextUnicode(a, b);
}

TGPInstalledFontCollection::TGPInstalledFontCollection() {
    const QStringList families = InstalledFamilies();
    FFamilies.reserve(families.size());
    for (const QString& family : families)
        FFamilies.push_back(TGPFontFamily(TGPFontFamily::TInstalled{}, family.toStdString()));
}

TGPFont::TGPFont(const TGPFontFamily* family, float emSize, std::int32_t style, TUnit unit)
    : FImpl(std::make_unique<TImpl>()), FSize(emSize), FStyle(style), FUnit(unit) {
    if (!family || !family->IsAvailable() || !(emSize > 0))
        return;
    QFont font;
    font.setFamilies({QString::fromStdString(family->GetFamilyName())});
    font.setBold((style & FontStyleBold) != 0);
    font.setItalic((style & FontStyleItalic) != 0);
    font.setUnderline((style & FontStyleUnderline) != 0);
    font.setStrikeOut((style & FontStyleStrikeout) != 0);
    FImpl->Font = font;
}

TGPFont::~TGPFont() = default;

bool TGPFont::IsAvailable() const {
    return FImpl->Font.has_value();
}

std::string TGPFont::GetFamilyName() const {
    return FImpl->Font ? FImpl->Font->families().value(0).toStdString() : std::string();
}

QFont QtFontForDevice(const TGPFont& font, double dpiY) {
    QFont result = font.Native().Font.value_or(QFont());
    result.setPointSizeF(EmPoints(font.GetSize(), font.GetUnit(), dpiY));
    return result;
}
