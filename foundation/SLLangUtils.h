#pragma once
// The language file and its translator. Every user-interface text can be replaced from
// a language file (INI text, one section per window or string-holder class), and when
// the file is writable the program writes its own current texts into it, so that a
// complete template collects there over a run. The file lives in memory from the
// moment it is chosen and reaches the disk only through UpdateFile.
//
// TSLLangStr is the base of objects that hold user-interface texts as published string
// properties: they read them from the language file right after construction and write
// them back right before destruction (create them with NewLangStr).

#include "foundation/SLIniFile.h"
#include "foundation/XmlPersistent.h"

#include <functional>
#include <memory>
#include <string>

class TComponent;
struct TPublishedString;
class TFont;

class TSLTranslator : public TPersistent {
public:
    // A stored value equal to this counts as absent.
    static constexpr const char* kAbsentMarker = "{D03A1A62-0918-4665-B4EA-74DD195F0712}";
    static constexpr const char* kCommonSection = "Common";
    static constexpr const char* kLanguageSection = "Language";
    static constexpr const char* kFontKey = "Font";

    // Opens the file (as SetFileName does), then UseModuleName := false, ReadOnly := true.
    explicit TSLTranslator(const std::string& fileName);
    // Writes the file when not read-only.
    ~TSLTranslator() override;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    const std::string& GetFileName() const { return FileName_; }
    // Replaces the memory image by the file's content (empty when the name is empty or
    // the file is missing) and records "Language" and "Common" in it. Raises EFOpenError
    // when the file exists but cannot be read; the previous file then stays open.
    void SetFileName(const std::string& fileName);
    const std::string& GetLanguageName() const { return LanguageName_; }
    bool GetRightToLeft() const { return RightToLeft_; }
    bool GetReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool value) { ReadOnly_ = value; }
    bool GetUseModuleName() const { return UseModuleName_; }
    void SetUseModuleName(bool value) { UseModuleName_ = value; }

    // The class name, or "<program file name>.<class name>" with UseModuleName.
    std::string GetSectionName(const std::string& className) const;

    // Windows and frames: their own and their named components' texts, and their font.
    void TranslateForm(TComponent* component);
    void WriteForm(TComponent* component);
    // String holders: every published string property that has a setter.
    void ReadObjectStrings(TPersistent* object);
    void WriteObjectStrings(TPersistent* object);

    // True when the key is present; an absent key gives the key itself as value.
    bool ReadString(const std::string& section, const std::string& key, std::string& value);
    bool ReadCommonString(const std::string& key, std::string& value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    static std::string FontToString(const TFont& font);
    // False (font untouched, or changed up to the field that failed) when the text does
    // not hold six fields or a field does not convert.
    static bool StringToFont(const std::string& text, TFont& font);

    bool IsIgnoredComponent(TComponent* component) const;
    bool IsIgnoredProperty(const std::string& propertyName) const;

    // Writes the image to FileName unless read-only; failures are dropped.
    void UpdateFile();

    const TSLMemIniFile& IniFile() const { return *Ini_; }

private:
    using TStringVisitor =
        std::function<void(const std::string& key, const TPublishedString& property)>;
    void ForEachTranslatableString(TComponent* component, const std::string& prefix,
                                   const TStringVisitor& visit) const;
    void ReadComponent(TComponent* component, const std::string& section);
    void WriteComponent(TComponent* component, const std::string& section);

    std::string FileName_;
    std::string LanguageName_;
    bool ReadOnly_ = true;
    bool RightToLeft_ = false;
    bool UseModuleName_ = false;
    std::unique_ptr<TSLMemIniFile> Ini_;
};

// The one translator; null before InitializeSLLangUtils and after FinalizeSLLangUtils.
extern TSLTranslator* Translator;

// Start-up: creates the translator on an empty image, read-only.
void InitializeSLLangUtils();
// Shut-down: writes the file (when writable) and frees the translator.
void FinalizeSLLangUtils();

class TSLLangStr : public TXmlPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Reads the texts from the language file over the constructor's defaults.
    virtual void AfterConstruction();
    // Writes the current texts into the language file's image (unless read-only).
    virtual void BeforeDestruction();
};

struct TSLLangStrDeleter {
    void operator()(TSLLangStr* holder) const;
};

template <class T> using TSLLangStrPtr = std::unique_ptr<T, TSLLangStrDeleter>;

// Creates a string holder and reads its texts; freeing it writes them back.
template <class T, class... Args> TSLLangStrPtr<T> NewLangStr(Args&&... args) {
    TSLLangStrPtr<T> holder(new T(std::forward<Args>(args)...));
    holder->AfterConstruction();
    return holder;
}

// Frees a string holder, letting a failure to write its texts reach the caller (the
// holder is freed either way).
template <class T> void FreeLangStr(TSLLangStrPtr<T>& holder) {
    std::unique_ptr<T> owned(holder.release());
    if (owned)
        owned->BeforeDestruction();
}
