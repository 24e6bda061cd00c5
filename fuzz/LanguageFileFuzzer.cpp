// The language file: whatever its bytes, the translator must open it, hand out its texts,
// translate a real window and a string holder from it, and read each value as a font string,
// in bounded time and memory. Two round trips must hold:
// - a font string that was applied, written out and read again gives the same font string;
// - the memory image written to disk (writable mode) and opened again is the same image.

#include "FuzzSupport.h"
#include "foundation/AboutFrm.h"
#include "foundation/SLLangUtils.h"
#include "platform/widgets/VclGraphics.h"
#include "rulers/RulerConsts.h"

#include <cstdint>

namespace {

fuzz::TScratchFile* LanguageFile;
TAboutForm* Window; // translated again by every input, as the program's windows are

[[noreturn]] void Fail(const char* what, const std::string& first, const std::string& second) {
    fuzz::CheckFailed("%s:\n--- first\n%s\n--- second\n%s", what, first.c_str(), second.c_str());
}

void CheckFontRoundTrip(const std::string& value) {
    TFont font;
    if (!TSLTranslator::StringToFont(value, font))
        return;
    const std::string written = TSLTranslator::FontToString(font);
    TFont again;
    if (!TSLTranslator::StringToFont(written, again))
        Fail("a written font string does not read back", value, written);
    const std::string rewritten = TSLTranslator::FontToString(again);
    if (rewritten != written)
        Fail("a font string read back differs", written, rewritten);
}

// Every stored text through the value decoding, and as a font string.
void ReadEveryValue(TSLTranslator& translator) {
    const TSLMemIniFile& ini = translator.IniFile();
    for (const std::string& section : ini.ReadSections()) {
        for (const std::string& key : ini.ReadSection(section)) {
            std::string value;
            translator.ReadString(section, key, value);
            CheckFontRoundTrip(value);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenQt();
    LanguageFile = new fuzz::TScratchFile("TarselRuler.lng");
    Window = NewComponent<TAboutForm>(nullptr).release();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LanguageFile->Write(reinterpret_cast<const char*>(data), size);
    std::string image;
    {
        TSLTranslator translator(LanguageFile->Path());
        ReadEveryValue(translator);
        translator.TranslateForm(Window);
        TAppStr strings;
        translator.ReadObjectStrings(&strings);

        image = translator.IniFile().GetText();
        translator.SetReadOnly(false);
        translator.UpdateFile();
    }
    TSLTranslator reopened(LanguageFile->Path());
    const std::string again = reopened.IniFile().GetText();
    if (again != image)
        Fail("the language file written and opened again differs", image, again);
    return 0;
}
