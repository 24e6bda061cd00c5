#include "foundation/SLLangUtils.h"
#include "platform/system/TextRules.h"

#include "foundation/Exceptions.h"
#include "foundation/SLSysUtils.h"
#include "platform/widgets/VclComponent.h"
#include "platform/widgets/VclForm.h"
#include "platform/widgets/VclFrame.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>

TSLTranslator* Translator = nullptr;

namespace {
constexpr std::string_view kEscapedBlank = "#32";
constexpr std::string_view kCommonPrefix = "Common-";
constexpr char kFontDelimiter = ';';
constexpr char kFontQuote = '"';
constexpr int kFontFieldCount = 6;
constexpr const char* kStyleWords[] = {"Bold", "Italic", "Underline", "Strikeout"};

const std::vector<std::string> kIgnoredComponentClasses{"TTBXSeparatorItem", "TTBXSwitcher"};
const std::vector<std::string> kIgnoredPropertyNames{"Name", "HelpKeyword", "HelpFile", "Category",
                                                     "Text", "InitialDir",  "FileName", "ImeName"};

std::unique_ptr<TSLTranslator> TheTranslator;

// A lone CR or LF would otherwise reach the file raw and split the value's line; every
// line break is stored as a CR LF pair.
std::string NormalizeLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            result.append("\r\n");
            ++i;
        } else if (c == '\r' || c == '\n') {
            result.append("\r\n");
        } else {
            result.push_back(c);
        }
    }
    return result;
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    return TSLStrfn::IndexOfStr(text.substr(0, prefix.size()), {std::string(prefix)}, false) == 0;
}

bool IsForm(TComponent* component) {
    return dynamic_cast<TCustomForm*>(component) != nullptr;
}

bool IsFrame(TComponent* component) {
    return dynamic_cast<TFrame*>(component) != nullptr;
}

TFont* FontOf(TComponent* component) {
    if (IsForm(component) || IsFrame(component))
        return &static_cast<TControl*>(component)->Font();
    return nullptr;
}

// The translatable properties of a component: string properties with a setter, in
// alphabetical order without regard to letter case.
std::vector<TPublishedString> StringPropertiesOf(TComponent* component) {
    std::vector<TPublishedString> list = component->PublishedStrings();
    std::erase_if(list, [](const TPublishedString& p) { return !p.Set; });
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return platform::CompareTextUnicode(a.Name, b.Name) < 0;
    });
    return list;
}

struct TObjectString {
    const TPropInfo* Info;
    bool Wide;
};

std::vector<TObjectString> StringPropertiesOf(const TPersistent& object) {
    std::vector<TObjectString> list;
    for (const TPropInfo* info : object.ClassInfo().PublishedProperties())
        if ((info->Kind == TTypeKind::String || info->Kind == TTypeKind::WString) &&
            info->IsWritable())
            list.push_back({info, info->Kind == TTypeKind::WString});
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return platform::CompareTextUnicode(a.Info->Name, b.Info->Name) < 0;
    });
    return list;
}

std::string GetObjectString(const TPersistent& object, const TObjectString& property) {
    const TPropValue value = property.Info->Get(object);
    if (const auto* wide = std::get_if<std::u16string>(&value))
        return QString::fromStdU16String(*wide).toStdString();
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

void SetObjectString(TPersistent& object, const TObjectString& property, const std::string& text) {
    if (property.Wide)
        property.Info->Set(object, QString::fromStdString(text).toStdU16String());
    else
        property.Info->Set(object, text);
}

bool IsReadOnlyFile(const std::string& fileName) {
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    if (error || !std::filesystem::is_regular_file(status))
        return false;
    return (status.permissions() & std::filesystem::perms::owner_write) ==
           std::filesystem::perms::none;
}

// Integers as the class library reads them: decimal, or hexadecimal after "$" or "0x".
std::optional<int> ToInteger(const std::string& text) {
    std::string_view digits(text);
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.starts_with("$")) {
        base = 16;
        digits.remove_prefix(1);
    } else if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (base == 16 && value >= 0 && value <= 0xFFFFFFFFLL)
        return static_cast<int>(static_cast<std::uint32_t>(value));
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

bool NeedsQuotes(const std::string& field) {
    return std::any_of(field.begin(), field.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == kFontQuote || c == kFontDelimiter;
    });
}

std::string JoinDelimited(const std::vector<std::string>& fields) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text.push_back(kFontDelimiter);
        if (NeedsQuotes(fields[i]))
            text.append(1, kFontQuote)
                .append(platform::ReplaceAll(fields[i], "\"", "\"\""))
                .append(1, kFontQuote);
        else
            text.append(fields[i]);
    }
    return text;
}

// NUL counts as a control character like every other code below the blank.
bool IsSpaceOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// A quoted field: from the opening quote to the closing one, doubled quotes standing
// for one; an unclosed quote runs to the end of the text.
std::string QuotedField(const std::string& text, std::size_t& p) {
    std::string field;
    ++p;
    while (p < text.size()) {
        if (text[p] == kFontQuote) {
            if (p + 1 < text.size() && text[p + 1] == kFontQuote) {
                field.push_back(kFontQuote);
                p += 2;
                continue;
            }
            ++p;
            break;
        }
        field.push_back(text[p++]);
    }
    return field;
}

// Splits like the class library's delimited text: blanks and control characters before a
// field are skipped, a quoted field runs to its closing quote, any other field ends at a
// blank, a control character or the delimiter, and a delimiter that is the last character
// adds an empty field. Every round of the walk consumes at least one character, so it
// always reaches the end.
std::vector<std::string> SplitDelimited(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n && IsSpaceOrControl(text[p]))
        ++p;
    while (p < n) {
        const std::size_t fieldStart = p;
        if (text[p] == kFontQuote) {
            fields.push_back(QuotedField(text, p));
        } else {
            while (p < n && !IsSpaceOrControl(text[p]) && text[p] != kFontDelimiter)
                ++p;
            fields.push_back(text.substr(fieldStart, p - fieldStart));
        }
        while (p < n && IsSpaceOrControl(text[p]))
            ++p;
        if (p < n && text[p] == kFontDelimiter) {
            if (p + 1 == n)
                fields.emplace_back();
            do
                ++p;
            while (p < n && IsSpaceOrControl(text[p]));
        } else if (p == fieldStart) {
            ++p; // a safeguard: no input may hold the walk in place
        }
    }
    return fields;
}

std::string ModuleFileName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
}
} // namespace

// ---------------------------------------------------------------------------------------
// TSLTranslator

TSLTranslator::TSLTranslator(const std::string& fileName) {
    SetFileName(fileName);
    UseModuleName_ = false;
    ReadOnly_ = true;
}

TSLTranslator::~TSLTranslator() {
    if (!ReadOnly_)
        UpdateFile();
}

const TClassInfo& TSLTranslator::StaticClassInfo() {
    static const TClassInfo info{
        "TSLTranslator",
        &TPersistent::StaticClassInfo(),
        {Published("FileName", &TSLTranslator::GetFileName, &TSLTranslator::SetFileName),
         Published("LanguageName", &TSLTranslator::GetLanguageName),
         Published("ReadOnly", &TSLTranslator::GetReadOnly, &TSLTranslator::SetReadOnly),
         Published("RightToLeft", &TSLTranslator::GetRightToLeft),
         Published("UseModuleName", &TSLTranslator::GetUseModuleName,
                   &TSLTranslator::SetUseModuleName)}};
    return info;
}

void TSLTranslator::SetFileName(const std::string& fileName) {
    // The new image is complete before anything changes, so a file that cannot be read
    // leaves the translator on the previous one.
    auto image = std::make_unique<TSLMemIniFile>(fileName);
    FileName_ = fileName;
    Ini_ = std::move(image);
    LanguageName_ = Ini_->ReadString(kLanguageSection, "Name", "Default");
    RightToLeft_ = Ini_->ReadBool(kLanguageSection, "RightToLeft", false);
    Ini_->WriteString(kLanguageSection, "Name", LanguageName_);
    Ini_->WriteBool(kLanguageSection, "RightToLeft", RightToLeft_);
    Ini_->WriteString(kCommonSection, "0", "0");
}

std::string TSLTranslator::GetSectionName(const std::string& className) const {
    return UseModuleName_ ? ModuleFileName() + "." + className : className;
}

bool TSLTranslator::ReadString(const std::string& section, const std::string& key,
                               std::string& value) {
    const std::string stored =
        Ini_->ReadString(section, TSLStrfn::EncodeLineBreaks(key), kAbsentMarker);
    const std::string text =
        platform::ReplaceAll(TSLStrfn::DecodeLineBreaks(stored), kEscapedBlank, " ");
    if (text == kAbsentMarker) {
        value = key;
        return false;
    }
    value = text;
    if (section != kCommonSection && StartsWithNoCase(text, kCommonPrefix))
        return ReadCommonString(text.substr(kCommonPrefix.size()), value);
    return true;
}

bool TSLTranslator::ReadCommonString(const std::string& key, std::string& value) {
    return ReadString(kCommonSection, key, value);
}

void TSLTranslator::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    if (ReadOnly_)
        return;
    // Blanks at either end would be trimmed away when the file is read again.
    std::string text = value;
    if (!text.empty() && text.front() == ' ')
        text.replace(0, 1, kEscapedBlank);
    if (!text.empty() && text.back() == ' ')
        text.replace(text.size() - 1, 1, kEscapedBlank);
    Ini_->WriteString(section, TSLStrfn::EncodeLineBreaks(NormalizeLineBreaks(key)),
                      TSLStrfn::EncodeLineBreaks(NormalizeLineBreaks(text)));
}

bool TSLTranslator::IsIgnoredComponent(TComponent* component) const {
    if (IsForm(component) || IsFrame(component))
        return false;
    return TSLStrfn::IndexOfStr(component->ClassName(), kIgnoredComponentClasses, false) >= 0 ||
           component->GetAction() != nullptr;
}

bool TSLTranslator::IsIgnoredProperty(const std::string& propertyName) const {
    return TSLStrfn::IndexOfStr(propertyName, kIgnoredPropertyNames, false) >= 0;
}

// Visits each translatable text of a component and of the named components it owns,
// depth first, with its key ("pnlButtons.btnOk.Caption"). Forms and frames owned by
// the component have sections of their own and are left out.
void TSLTranslator::ForEachTranslatableString(TComponent* component, const std::string& prefix,
                                              const TStringVisitor& visit) const {
    if (!component || IsIgnoredComponent(component))
        return;
    for (const TPublishedString& property : StringPropertiesOf(component)) {
        if (IsIgnoredProperty(property.Name))
            continue;
        visit(prefix.empty() ? property.Name : prefix + "." + property.Name, property);
    }
    // A copy: a text set on the way may make a component rearrange what it owns.
    const std::vector<TComponent*> owned = component->Components();
    for (TComponent* child : owned) {
        if (IsForm(child) || IsFrame(child) || child->Name().empty())
            continue;
        ForEachTranslatableString(
            child, prefix.empty() ? child->Name() : prefix + "." + child->Name(), visit);
    }
}

void TSLTranslator::ReadComponent(TComponent* component, const std::string& section) {
    ForEachTranslatableString(component, "",
                              [&](const std::string& key, const TPublishedString& property) {
                                  std::string value;
                                  if (ReadString(section, key, value))
                                      property.Set(value);
                              });
}

void TSLTranslator::WriteComponent(TComponent* component, const std::string& section) {
    ForEachTranslatableString(component, "",
                              [&](const std::string& key, const TPublishedString& property) {
                                  WriteString(section, key, property.Get());
                              });
}

void TSLTranslator::TranslateForm(TComponent* component) {
    if (!component)
        return;
    const std::string section = GetSectionName(component->ClassName());
    ReadComponent(component, section);
    std::string text;
    if (ReadString(section, kFontKey, text)) {
        TFont font;
        if (StringToFont(text, font))
            if (TFont* target = FontOf(component))
                target->Assign(font);
    }
}

void TSLTranslator::WriteForm(TComponent* component) {
    try {
        if (ReadOnly_ || !component || IsReadOnlyFile(FileName_))
            return;
        const std::string section = GetSectionName(component->ClassName());
        Ini_->EraseSection(section);
        if (const TFont* font = FontOf(component))
            WriteString(section, kFontKey, FontToString(*font));
        WriteComponent(component, section);
    } catch (...) {
        // A window's texts are a convenience for translators; closing it must not fail.
    }
}

void TSLTranslator::ReadObjectStrings(TPersistent* object) {
    if (!object || object->ClassInfo().PublishedProperties().empty())
        return;
    const std::string section = GetSectionName(object->ClassName());
    for (const TObjectString& property : StringPropertiesOf(*object)) {
        std::string value;
        if (ReadString(section, property.Info->Name, value))
            SetObjectString(*object, property, value);
    }
}

void TSLTranslator::WriteObjectStrings(TPersistent* object) {
    if (ReadOnly_ || !object || object->ClassInfo().PublishedProperties().empty())
        return;
    const std::string section = GetSectionName(object->ClassName());
    Ini_->EraseSection(section);
    for (const TObjectString& property : StringPropertiesOf(*object))
        WriteString(section, property.Info->Name, GetObjectString(*object, property));
}

std::string TSLTranslator::FontToString(const TFont& font) {
    std::string styles;
    const bool has[] = {font.Style().Bold, font.Style().Italic, font.Style().Underline,
                        font.Style().StrikeOut};
    for (int i = 0; i < 4; ++i) {
        if (!has[i])
            continue;
        if (!styles.empty())
            styles.push_back(',');
        styles.append(kStyleWords[i]);
    }
    std::string color;
    if (const auto ident = ColorToIdent(font.Color())) {
        color = *ident;
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "$%.8X", static_cast<unsigned>(font.Color()));
        color = hex;
    }
    return JoinDelimited({font.Name(), color, std::to_string(font.Height()),
                          std::to_string(static_cast<int>(font.Pitch())),
                          std::to_string(font.Size()), styles});
}

bool TSLTranslator::StringToFont(const std::string& text, TFont& font) {
    const std::vector<std::string> fields = SplitDelimited(text);
    if (static_cast<int>(fields.size()) != kFontFieldCount)
        return false;
    font.SetName(fields[0]);
    std::optional<TColor> color = IdentToColor(fields[1]);
    if (!color)
        color = ToInteger(fields[1]);
    if (!color)
        return false;
    font.SetColor(*color);
    const std::optional<int> height = ToInteger(fields[2]);
    if (!height)
        return false;
    font.SetHeight(*height);
    // Only the three pitches exist; another number is as wrong as no number.
    const std::optional<int> pitch = ToInteger(fields[3]);
    if (!pitch || *pitch < 0 || *pitch > static_cast<int>(TFontPitch::fpFixed))
        return false;
    font.SetPitch(static_cast<TFontPitch>(*pitch));
    const std::optional<int> size = ToInteger(fields[4]);
    if (!size)
        return false;
    font.SetSize(*size);
    const std::string& styles = fields[5];
    font.SetStyle(TFontStyles{styles.find(kStyleWords[0]) != std::string::npos,
                              styles.find(kStyleWords[1]) != std::string::npos,
                              styles.find(kStyleWords[2]) != std::string::npos,
                              styles.find(kStyleWords[3]) != std::string::npos});
    return true;
}

void TSLTranslator::UpdateFile() {
    if (ReadOnly_ || FileName_.empty())
        return;
    try {
        // A file marked read-only stays as it is (the owner's write permission is our
        // read-only attribute; checked here because the super-user could write anyway).
        if (IsReadOnlyFile(FileName_))
            return;
        if (FileName_.find('/') != std::string::npos)
            TSLSysfn::ForceFileDirectories(FileName_);
        Ini_->UpdateFile();
    } catch (const EFileLeftAlone&) {
        // No regular file (a link to the null device): kept as it is on purpose.
    } catch (const std::exception& error) {
        // The texts stay in memory and the program goes on with them; the translator
        // learns why the file did not change.
        std::fprintf(stderr, "The language file was not saved: %s\n", error.what());
    }
}

void InitializeSLLangUtils() {
    if (TheTranslator)
        return;
    TheTranslator = std::make_unique<TSLTranslator>("");
    Translator = TheTranslator.get();
}

void FinalizeSLLangUtils() {
    if (!TheTranslator)
        return;
    Translator = nullptr;
    TheTranslator->UpdateFile();
    // The image is on the disk, or the failure has been told: the destructor need not
    // write it once more.
    TheTranslator->SetReadOnly(true);
    TheTranslator.reset();
}

// ---------------------------------------------------------------------------------------
// TSLLangStr

const TClassInfo& TSLLangStr::StaticClassInfo() {
    static const TClassInfo info{"TSLLangStr", &TXmlPersistent::StaticClassInfo()};
    return info;
}

void TSLLangStr::AfterConstruction() {
    if (Translator)
        Translator->ReadObjectStrings(this);
}

void TSLLangStr::BeforeDestruction() {
    if (Translator)
        Translator->WriteObjectStrings(this);
}

void TSLLangStrDeleter::operator()(TSLLangStr* holder) const {
    if (!holder)
        return;
    std::unique_ptr<TSLLangStr> owned(holder);
    try {
        owned->BeforeDestruction();
    } catch (...) {
        // A deleter runs inside destructors and must not throw; callers that want the
        // failure call BeforeDestruction themselves before letting go.
    }
}
