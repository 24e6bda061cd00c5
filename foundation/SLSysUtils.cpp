#include "foundation/SLSysUtils.h"

#include "foundation/SLXmlUtils.h"
#include "foundation/XmlPersistent.h"
#include "platform/system/FileVersion.h"
#include "platform/system/ProgramFile.h"
#include "platform/system/TextRules.h"

#include <QUuid>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <locale>
#include <numbers>
#include <optional>

namespace {
constexpr std::string_view kEscapedLineBreak = "#13#10";
constexpr std::string_view kLineBreak = "\r\n";
} // namespace

std::string TSLStrfn::DecodeLineBreaks(const std::string& text) {
    return platform::ReplaceAll(text, kEscapedLineBreak, kLineBreak);
}

std::string TSLStrfn::EncodeLineBreaks(const std::string& text) {
    return platform::ReplaceAll(text, kLineBreak, kEscapedLineBreak);
}

std::string TSLStrfn::ExtractFileNameNoExt(const std::string& fileName) {
    const std::size_t folderEnd = fileName.rfind('/');
    std::string name = folderEnd == std::string::npos ? fileName : fileName.substr(folderEnd + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

int TSLStrfn::IndexOfStr(const std::string& text, const std::vector<std::string>& list,
                         bool caseSensitive) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (caseSensitive ? list[i] == text : platform::SameTextAscii(list[i], text))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TSLStrfn::NewGuidString() {
    return platform::UpperCaseAscii(QUuid::createUuid().toString(QUuid::WithBraces).toStdString());
}

// --- Saved objects -------------------------------------------------------------------------------

namespace {
constexpr const char* kInvalidIntegerFmt = "'%s' is not a valid integer value";
constexpr const char* kInvalidFloatFmt = "'%s' is not a valid floating point value";
constexpr const char* kInvalidSetElementFmt = "Invalid property element: %s";
constexpr int kSignificantDigits = 15;
// Plain notation from 1E-4 up to 15 integer digits; exponent form outside.
constexpr int kSmallestPlainExponent = -4;
constexpr int kLargestPlainExponent = kSignificantDigits - 1;

std::string OrdinalText(std::int64_t value) {
    // Saved as a signed 32-bit number: unsigned values above 2^31-1 come out negative.
    return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

std::string SetText(const TPropInfo& prop, std::int64_t mask) {
    std::string text;
    for (std::size_t bit = 0; bit < prop.ElementNames.size() && bit < 32; ++bit) {
        if ((static_cast<std::uint64_t>(mask) >> bit) & 1u) {
            if (!text.empty())
                text += ',';
            text += prop.ElementNames[bit];
        }
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::int64_t SetFromText(const TPropInfo& prop, const std::string& text) {
    std::string body = Trimmed(text);
    if (!body.empty() && body.front() == '[')
        body.erase(0, 1);
    if (!body.empty() && body.back() == ']')
        body.pop_back();
    std::uint32_t mask = 0;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t comma = body.find(',', start);
        if (comma == std::string::npos)
            comma = body.size();
        const std::string name = Trimmed(body.substr(start, comma - start));
        if (!name.empty()) {
            const int ordinal = TSLStrfn::IndexOfStr(name, prop.ElementNames, false);
            if (ordinal < 0 || ordinal >= 32)
                throw EConvertError(FormatMessage(kInvalidSetElementFmt, name.c_str()));
            mask |= 1u << ordinal;
        }
        start = comma + 1;
    }
    return mask;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?'; // a lone surrogate has no encoding
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80           ? 1
                     : (lead >> 5) == 0x6  ? 2
                     : (lead >> 4) == 0xE  ? 3
                     : (lead >> 3) == 0x1E ? 4
                                           : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? (lead & 0x1F)
                     : length == 3 ? (lead & 0x0F)
                                   : (lead & 0x07);
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'?'; // bytes that are no UTF-8 character
            i += 1;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string AttributeText(const TPersistent& object, const TPropInfo& prop) {
    const TPropValue value = prop.Get(object);
    switch (prop.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enumeration:
        return OrdinalText(std::get<std::int64_t>(value));
    case TTypeKind::Int64:
        return std::to_string(std::get<std::int64_t>(value));
    case TTypeKind::Float:
        return FloatToStr(std::get<long double>(value));
    case TTypeKind::String:
        return std::get<std::string>(value);
    case TTypeKind::WString:
        return Utf16ToUtf8(std::get<std::u16string>(value));
    case TTypeKind::Set:
        return SetText(prop, std::get<std::int64_t>(value));
    default:
        return {};
    }
}

bool HasAttributeForm(TTypeKind kind) {
    return kind != TTypeKind::Class && kind != TTypeKind::WChar;
}

TPropValue ValueFromText(const TPropInfo& prop, const std::string& text) {
    switch (prop.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enumeration:
        return static_cast<std::int64_t>(StrToInt(text));
    case TTypeKind::Int64:
        return StrToInt64(text);
    case TTypeKind::Float:
        return StrToFloat(text);
    case TTypeKind::String:
        return text;
    case TTypeKind::WString:
        return Utf8ToUtf16(text);
    case TTypeKind::Set:
        return SetFromText(prop, text);
    default:
        return {};
    }
}
} // namespace

std::u16string WideToUtf16(const std::wstring& text) {
    std::u16string out;
    for (wchar_t w : text) {
        auto c = static_cast<char32_t>(w);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += c <= 0xFFFF ? static_cast<char16_t>(c) : u'?';
        }
    }
    return out;
}

std::wstring Utf16ToWide(const std::u16string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        out += static_cast<wchar_t>(c);
    }
    return out;
}

void TSLSysfn::WriteObjectToXmlNode(const TPersistent* object, pugi::xml_node element) {
    if (object == nullptr)
        return;
    for (const TPropInfo* prop : object->ClassInfo().PublishedProperties()) {
        if (HasAttributeForm(prop->Kind)) {
            TSLXmlfn::SetAttribute(element, prop->Name, AttributeText(*object, *prop));
        } else if (prop->Kind == TTypeKind::Class) {
            TPersistent* child = std::get<TPersistent*>(prop->Get(*object));
            if (child == nullptr)
                continue;
            pugi::xml_node childElement = element.append_child(prop->Name.c_str());
            if (auto* saved = dynamic_cast<TXmlPersistent*>(child))
                saved->WriteToXmlNode(childElement);
            else
                WriteObjectToXmlNode(child, childElement);
        }
    }
}

void TSLSysfn::ReadObjectFromXmlNode(TPersistent* object, pugi::xml_node element) {
    if (object == nullptr)
        return;
    for (const TPropInfo* prop : object->ClassInfo().PublishedProperties()) {
        if (prop->Kind == TTypeKind::Class) {
            // Sub-objects are read in place; the object itself is never replaced.
            pugi::xml_node childElement = TSLXmlfn::ChildByName(element, prop->Name);
            TPersistent* child = std::get<TPersistent*>(prop->Get(*object));
            if (!childElement || child == nullptr)
                continue;
            if (auto* saved = dynamic_cast<TXmlPersistent*>(child))
                saved->ReadFromXmlNode(childElement);
            else
                ReadObjectFromXmlNode(child, childElement);
        } else if (HasAttributeForm(prop->Kind) && prop->IsWritable()) {
            const pugi::xml_attribute attribute = TSLXmlfn::AttributeByName(element, prop->Name);
            if (attribute)
                prop->Set(*object, ValueFromText(*prop, attribute.value()));
        }
    }
}

// --- Number texts --------------------------------------------------------------------------------

namespace {
char LocaleDecimalSeparator() {
    try {
        const std::locale user("");
        return std::use_facet<std::numpunct<char>>(user).decimal_point();
    } catch (const std::exception&) {
        return '.'; // the environment names a locale that is not installed
    }
}

char& DecimalSeparatorSetting() {
    static char separator = LocaleDecimalSeparator();
    return separator;
}

// Taken when the program starts, before anyone can change the process locale.
[[maybe_unused]] const char kStartupSeparator = DecimalSeparatorSetting();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sign, digits and the decimal separator, as StrToFloat accepts them; the result uses '.'.
bool NormaliseFloatText(const std::string& text, char separator, std::string& out) {
    const std::string body = Trimmed(text);
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        if (body[i] == '-')
            out += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < body.size() && IsDigit(body[i]); ++i, ++mantissaDigits)
        out += body[i];
    if (i < body.size() && body[i] == separator) {
        out += '.';
        for (++i; i < body.size() && IsDigit(body[i]); ++i, ++mantissaDigits)
            out += body[i];
    }
    if (mantissaDigits == 0)
        return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            out += body[i++];
        int exponentDigits = 0;
        for (; i < body.size() && IsDigit(body[i]); ++i, ++exponentDigits)
            out += body[i];
        if (exponentDigits == 0)
            return false;
    }
    return i == body.size();
}

std::optional<std::int64_t> ParseInteger(const std::string& text, std::int64_t low,
                                         std::int64_t high, std::uint64_t hexLimit) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return std::nullopt;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data() + i, text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal texts give the bit pattern: $FFFFFFFF is -1 for a 32-bit integer.
        if (magnitude > hexLimit)
            return std::nullopt;
        const auto pattern = hexLimit == UINT32_MAX
                                 ? static_cast<std::int64_t>(static_cast<std::int32_t>(magnitude))
                                 : static_cast<std::int64_t>(magnitude);
        return negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(pattern))
                        : pattern;
    }
    const std::uint64_t limit =
        negative ? static_cast<std::uint64_t>(-(low + 1)) + 1 : static_cast<std::uint64_t>(high);
    if (magnitude > limit)
        return std::nullopt;
    return negative ? static_cast<std::int64_t>(0 - magnitude)
                    : static_cast<std::int64_t>(magnitude);
}
} // namespace

char DecimalSeparator() {
    return DecimalSeparatorSetting();
}

void SetDecimalSeparator(char separator) {
    DecimalSeparatorSetting() = separator;
}

std::string FloatToStr(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    // d.dddddddddddddde±x, rounded to 15 significant digits by the exact decimal value.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string scientific(buffer, result.ptr);
    const bool negative = scientific.front() == '-';
    const std::size_t ePos = scientific.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (IsDigit(scientific[i]))
            digits += scientific[i];
    const int exponent = std::stoi(scientific.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    const char separator = DecimalSeparator();
    std::string text = negative ? "-" : "";
    if (exponent < kSmallestPlainExponent || exponent > kLargestPlainExponent) {
        text += digits[0];
        if (digits.size() > 1) {
            text += separator;
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    } else if (exponent < 0) {
        text += '0';
        text += separator;
        text += std::string(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, integerDigits);
            text += separator;
            text += digits.substr(integerDigits);
        }
    }
    return text;
}

long double StrToFloat(const std::string& text) {
    std::string normalised;
    long double value = 0;
    if (NormaliseFloatText(text, DecimalSeparator(), normalised)) {
        const auto [end, error] =
            std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
        if (error == std::errc() && end == normalised.data() + normalised.size())
            return value;
    }
    throw EConvertError(FormatMessage(kInvalidFloatFmt, text.c_str()));
}

std::int32_t StrToInt(const std::string& text) {
    const auto value = ParseInteger(text, INT32_MIN, INT32_MAX, UINT32_MAX);
    if (!value)
        throw EConvertError(FormatMessage(kInvalidIntegerFmt, text.c_str()));
    return static_cast<std::int32_t>(*value);
}

std::int64_t StrToInt64(const std::string& text) {
    const auto value = ParseInteger(text, INT64_MIN, INT64_MAX, UINT64_MAX);
    if (!value)
        throw EConvertError(FormatMessage(kInvalidIntegerFmt, text.c_str()));
    return *value;
}

// --- System services -----------------------------------------------------------------------------

namespace {
constexpr const char* kCannotCreateDirectory = "Unable to create directory";
constexpr const char* kSelfExecutable = "/proc/self/exe";
constexpr const char* kDefaultTempPath = "/tmp/";
constexpr float kFullTurn = 360.0f;
// Beyond this many degrees the turn-by-turn walk is cut short by a remainder first.
constexpr double kTurnByTurnLimit = 1.0e6;

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}
} // namespace

void TSLSysfn::ForceFileDirectories(const std::string& fileName) {
    const std::size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        throw EInOutError(kCannotCreateDirectory);
    const std::string folder = fileName.substr(0, slash + 1);
    std::error_code ignored; // a refused folder shows up in the caller's file operation
    if (!std::filesystem::is_directory(folder, ignored))
        std::filesystem::create_directories(folder, ignored);
}

std::string TSLSysfn::GetModuleFileName() {
    return platform::ProgramFileName();
}

std::string TSLSysfn::GetModulePath() {
    const std::string program = GetModuleFileName();
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const std::size_t nameStart = fileName.rfind('/') + 1; // npos + 1 == 0
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

std::string TSLSysfn::GetTempPath() {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0')
        return kDefaultTempPath;
    return WithTrailingSlash(folder);
}

void TSLSysfn::GetFileVersion(const std::string& fileName, std::uint16_t& major,
                              std::uint16_t& minor, std::uint16_t& release, std::uint16_t& build) {
    const std::string name = fileName.empty() ? std::string(kSelfExecutable) : fileName;
    if (const auto version = platform::ReadFileVersion(name)) {
        major = version->Major;
        minor = version->Minor;
        release = version->Release;
        build = version->Build;
    }
}

float TSLSysfn::DegToRad(float degrees) {
    return static_cast<float>(static_cast<long double>(degrees) *
                              (std::numbers::pi_v<long double> / 180));
}

float TSLSysfn::RadToDeg(float radians) {
    return static_cast<float>(static_cast<long double>(radians) *
                              (180 / std::numbers::pi_v<long double>));
}

float TSLSysfn::NormalizeAngle(float degrees) {
    if (!std::isfinite(degrees))
        return 0.0f;
    if (std::fabs(degrees) > kTurnByTurnLimit)
        degrees = static_cast<float>(std::fmod(static_cast<double>(degrees), 360.0));
    // Turn by turn in single precision: -0.00001 becomes 360, as the single sum rounds up.
    while (degrees >= kFullTurn)
        degrees = degrees - kFullTurn;
    while (degrees < 0.0f)
        degrees = degrees + kFullTurn;
    return degrees;
}

bool TSLSysfn::ForceForegroundWindow(platform::TWindowHandle window) {
    return platform::ForceForegroundWindow(window);
}

void TSLSysfn::SetStayOnTop(platform::TWindowHandle window, bool onTop) {
    platform::SetStayOnTop(window, onTop);
}
