#include "foundation/SLLangUtils.h"

#include "platform/widgets/VclAction.h"
#include "platform/widgets/VclButton.h"
#include "platform/widgets/VclForm.h"
#include "platform/widgets/VclFrame.h"
#include "platform/widgets/VclPanel.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
// A language file on disk, opened in a writable translator.
struct TWritableLanguage {
    TTempFolder Folder;
    std::string File = Folder.File("lang/Tarsel.lng");
    std::unique_ptr<TSLTranslator> Translator = Open();

    std::unique_ptr<TSLTranslator> Open() const {
        auto translator = std::make_unique<TSLTranslator>(File);
        translator->SetReadOnly(false);
        return translator;
    }
    // Writes the image to disk and opens the file again in a new translator.
    std::unique_ptr<TSLTranslator> Reopen() {
        Translator->UpdateFile();
        return Open();
    }
};

class TTBXSeparatorItem : public TComponent {
public:
    using TComponent::TComponent;
    std::string Caption = "-";

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override {
        TComponent::DefinePublishedStrings(list);
        list.push_back(PublishedField("Caption", Caption));
    }
};

class TOptionsFrame : public TFrame {
public:
    using TFrame::TFrame;
};

// A window with the kinds of components the translator must tell apart.
class TSampleForm : public TForm {
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {
        SetName("SampleForm");
        SetCaption("Sample");
        acExit = new TAction(this);
        acExit->SetName("acExit");
        acExit->SetCaption("Exit");
        pnlBack = new TPanel(this);
        pnlBack->SetName("pnlBack");
        pnlBack->SetParent(this);
        pnlBack->SetCaption("back");
        btnExit = new TButton(this);
        btnExit->SetName("btnExit");
        btnExit->SetParent(pnlBack);
        btnExit->SetAction(acExit);
        btnPlain = new TButton(pnlBack); // owned by the panel: key "pnlBack.btnPlain.Caption"
        btnPlain->SetName("btnPlain");
        btnPlain->SetCaption("plain");
        auto* separator = new TTBXSeparatorItem(this);
        separator->SetName("sep1");
        auto* unnamed = new TButton(this);
        unnamed->SetCaption("unnamed");
        frame = new TOptionsFrame(this);
        frame->SetName("frame");
        auto* inFrame = new TButton(frame);
        inFrame->SetName("btnInFrame");
        inFrame->SetCaption("in frame");
    }
    TAction* acExit;
    TPanel* pnlBack;
    TButton* btnExit;
    TButton* btnPlain;
    TOptionsFrame* frame;
};

class TSampleStrings : public TSLLangStr {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{"TSampleStrings",
                                     &TSLLangStr::StaticClassInfo(),
                                     {Published("Title", &TSampleStrings::Title),
                                      Published("Text", &TSampleStrings::Text),
                                      Published("Wide", &TSampleStrings::Wide),
                                      Published("Fixed", &TSampleStrings::GetFixed),
                                      Published("Count", &TSampleStrings::Count)}};
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    std::string GetFixed() const { return "fixed"; }

    std::string Title = "Default title";
    std::string Text = "text";
    std::u16string Wide = u"wide";
    int Count = 3;
};
} // namespace

TEST(SLTranslatorValues, BlanksAndLineBreaksSurviveTheFile) {
    TWritableLanguage language;
    const std::vector<std::string> texts{" ",        "  ",       "   ",
                                         " both ",   "in  side", "two\r\nlines\r\n",
                                         "lone\nLF", "",         "\xE4\xB8\xAD\xE6\x96\x87 "};
    for (std::size_t i = 0; i < texts.size(); ++i)
        language.Translator->WriteString("TTexts", "K" + std::to_string(i), texts[i]);
    const auto reopened = language.Reopen();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string value;
        EXPECT_TRUE(reopened->ReadString("TTexts", "K" + std::to_string(i), value)) << i;
        // A lone line feed is a line break too; the file keeps it as a CR LF pair.
        EXPECT_EQ(value, texts[i] == "lone\nLF" ? "lone\r\nLF" : texts[i]) << i;
    }
    const TSLMemIniFile& ini = reopened->IniFile();
    EXPECT_EQ(ini.ReadString("TTexts", "K0", ""), "#32");
    EXPECT_EQ(ini.ReadString("TTexts", "K1", ""), "#32#32");
    EXPECT_EQ(ini.ReadString("TTexts", "K2", ""), "#32 #32");
    EXPECT_EQ(ini.ReadString("TTexts", "K5", ""), "two#13#10lines#13#10");
}

TEST(SLTranslatorValues, AbsentKeysMarkerAndEmbeddedBlankCodes) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng",
                               "[T]\r\nEmpty=\r\nMarker={D03A1A62-0918-4665-B4EA-74DD195F0712}\r\n"
                               "Middle=a#32b\r\nMulti#13#10Key=yes\r\n");
    auto translator = language.Open();
    std::string value = "unchanged";
    EXPECT_TRUE(translator->ReadString("T", "Empty", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(translator->ReadString("T", "Marker", value));
    EXPECT_EQ(value, "Marker");
    EXPECT_FALSE(translator->ReadString("T", "Missing", value));
    EXPECT_EQ(value, "Missing");
    EXPECT_TRUE(translator->ReadString("t", "middle", value));
    EXPECT_EQ(value, "a b");
    EXPECT_TRUE(translator->ReadString("T", "Multi\r\nKey", value));
    EXPECT_EQ(value, "yes");
}

TEST(SLTranslatorValues, CommonPrefixRedirectsOutsideCommonOnly) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng", "[Common]\r\nOK=Fine\r\nSelf=Common-OK\r\n"
                                                  "[TForm1]\r\nA=Common-OK\r\nB=cOMMON-ok\r\n"
                                                  "C=Common-Missing\r\nD=Common-\r\n");
    auto translator = language.Open();
    std::string value;
    EXPECT_TRUE(translator->ReadString("TForm1", "A", value));
    EXPECT_EQ(value, "Fine");
    EXPECT_TRUE(translator->ReadString("TForm1", "B", value));
    EXPECT_EQ(value, "Fine");
    EXPECT_FALSE(translator->ReadString("TForm1", "C", value));
    EXPECT_EQ(value, "Missing");
    EXPECT_FALSE(translator->ReadString("TForm1", "D", value));
    EXPECT_TRUE(translator->ReadString("Common", "Self", value));
    EXPECT_EQ(value, "Common-OK");
}

TEST(SLTranslatorOpening, LanguageEntriesAreReadAndWrittenBack) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng",
                               "[Language]\r\nName=English\r\nRightToLeft=yes\r\n");
    auto translator = language.Open();
    EXPECT_EQ(translator->GetLanguageName(), "English");
    EXPECT_FALSE(translator->GetRightToLeft());
    EXPECT_EQ(translator->IniFile().ReadString("Language", "RightToLeft", ""), "0");
    EXPECT_EQ(translator->IniFile().ReadString("Common", "0", ""), "0");

    language.Folder.WriteBytes("lang/Tarsel.lng", "[Language]\r\nRightToLeft=1\r\n");
    translator = language.Open();
    EXPECT_TRUE(translator->GetRightToLeft());
    EXPECT_EQ(translator->GetLanguageName(), "Default");

    TSLTranslator empty("");
    EXPECT_TRUE(empty.GetReadOnly());
    EXPECT_EQ(empty.IniFile().GetText(),
              "[Language]\r\nName=Default\r\nRightToLeft=0\r\n\r\n[Common]\r\n0=0\r\n\r\n");
}

TEST(SLTranslatorFonts, FontStringsAreWrittenInSixFields) {
    TFont font;
    EXPECT_EQ(TSLTranslator::FontToString(font), "Tahoma;clWindowText;-11;0;8;");
    font.SetName("Times New \"Roman\"");
    font.SetColor(0x123456);
    font.SetStyle({true, false, true, true});
    font.SetPitch(TFontPitch::fpFixed);
    font.SetSize(12);
    const std::string text = TSLTranslator::FontToString(font);
    EXPECT_EQ(text, "\"Times New \"\"Roman\"\"\";$00123456;-16;2;12;Bold,Underline,Strikeout");
    TFont back;
    ASSERT_TRUE(TSLTranslator::StringToFont(text, back));
    EXPECT_EQ(back.Name(), font.Name());
    EXPECT_EQ(back.Color(), font.Color());
    EXPECT_EQ(back.Height(), -16);
    EXPECT_EQ(back.Pitch(), TFontPitch::fpFixed);
    EXPECT_EQ(back.Style(), font.Style());
}

TEST(SLTranslatorFonts, FontStringsAreCheckedBeforeUse) {
    struct TRow {
        const char* Why;
        const char* Text;
        bool Applies;
        const char* Name;
        int Height;
        TFontStyles Style;
    };
    const TRow rows[] = {
        {"five fields", "Arial;clRed;-13;0;10", false, "Tahoma", -11, {}},
        {"size not a number", "Arial;clRed;-13;0;big;", false, "Arial", -13, {}},
        {"colour neither name nor number", "Arial;clPink;-13;0;10;", false, "Arial", -11, {}},
        {"unquoted blank splits the name", "Courier New;clRed;-13;0;10;", false, "Tahoma", -11, {}},
        {"size decides over height", "Arial;clred;-99;0;10;", true, "Arial", -13, {}},
        {"style words anywhere",
         "Arial;$FF;-13;1;10;Bold,,Italic",
         true,
         "Arial",
         -13,
         {true, true, false, false}},
        {"style words keep their case", "Arial;255;-13;0;10;bold,italic", true, "Arial", -13, {}},
        {"underline alone",
         "Arial;255;-13;0;10;Underline",
         true,
         "Arial",
         -13,
         {false, false, true, false}},
        {"pitch out of range", "Arial;255;-13;7;10;", false, "Arial", -13, {}},
        {"blanks around fields", "  Arial ; clRed ;-13;0;10;", true, "Arial", -13, {}},
    };
    for (const TRow& row : rows) {
        TFont font;
        EXPECT_EQ(TSLTranslator::StringToFont(row.Text, font), row.Applies) << row.Why;
        EXPECT_EQ(font.Name(), row.Name) << row.Why;
        EXPECT_EQ(font.Height(), row.Height) << row.Why;
        EXPECT_EQ(font.Style(), row.Style) << row.Why;
    }
}

TEST(SLTranslatorForms, WriteFormWritesFontOwnTextsThenComponentsDepthFirst) {
    TWritableLanguage language;
    auto form = NewComponent<TSampleForm>(nullptr);
    language.Translator->WriteForm(form.get());
    const TSLMemIniFile& ini = language.Translator->IniFile();
    EXPECT_EQ(ini.ReadSection("TSampleForm"),
              (std::vector<std::string>{"Font", "Caption", "Hint", "acExit.Caption", "acExit.Hint",
                                        "pnlBack.Caption", "pnlBack.Hint",
                                        "pnlBack.btnPlain.Caption", "pnlBack.btnPlain.Hint"}));
    EXPECT_EQ(ini.ReadString("TSampleForm", "Font", ""), "Tahoma;clWindowText;-11;0;8;");
    EXPECT_EQ(ini.ReadString("TSampleForm", "acExit.Caption", ""), "Exit");
}

TEST(SLTranslatorForms, TranslateFormReadsTextsAndFontAndSkipsTheRest) {
    TWritableLanguage language;
    language.Folder.WriteBytes(
        "lang/Tarsel.lng",
        "[Common]\r\nQuit=Leave\r\n"
        "[TSampleForm]\r\nFont=\"DejaVu Sans\";clRed;-20;0;12;Bold\r\nCaption=Translated\r\n"
        "Name=Evil\r\nacExit.Caption=Common-Quit\r\nbtnExit.Caption=never\r\n"
        "pnlBack.btnPlain.Caption=Plain#32\r\nsep1.Caption=never\r\n"
        "frame.btnInFrame.Caption=never\r\n.Caption=never\r\npnlBack.Hint=\r\n");
    auto translator = language.Open();
    auto form = NewComponent<TSampleForm>(nullptr);
    form->pnlBack->SetHint("hint");
    translator->TranslateForm(form.get());
    EXPECT_EQ(form->Caption(), "Translated");
    EXPECT_EQ(form->Name(), "SampleForm");
    EXPECT_EQ(form->acExit->Caption(), "Leave");
    EXPECT_EQ(form->btnExit->Caption(), "Leave"); // follows its action, not its own key
    EXPECT_EQ(form->btnPlain->Caption(), "Plain ");
    EXPECT_EQ(form->pnlBack->Hint(), "");
    EXPECT_EQ(form->pnlBack->Caption(), "back");
    EXPECT_EQ(form->Font().Name(), "DejaVu Sans");
    EXPECT_EQ(form->Font().Size(), 12);
    EXPECT_TRUE(form->Font().Style().Bold);
    EXPECT_EQ(form->Widget()->font().family(), "DejaVu Sans");
}

TEST(SLTranslatorForms, RewrittenSectionMovesToTheEndWithCurrentTexts) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng",
                               "[Common]\r\nT=Shared\r\n[TSampleForm]\r\nCaption=Common-T\r\n"
                               "Gone=old entry\r\n[TOther]\r\nA=1\r\n");
    auto translator = language.Open();
    translator->SetReadOnly(false);
    auto form = NewComponent<TSampleForm>(nullptr);
    translator->TranslateForm(form.get());
    translator->WriteForm(form.get());
    const TSLMemIniFile& ini = translator->IniFile();
    EXPECT_EQ(ini.ReadSections().back(), "TSampleForm");
    EXPECT_EQ(ini.ReadString("TSampleForm", "Caption", ""), "Shared");
    EXPECT_FALSE(ini.ValueExists("TSampleForm", "Gone"));
}

TEST(SLTranslatorModes, ReadOnlyTranslatorReadsButNeverWrites) {
    TTempFolder folder;
    folder.WriteBytes("Tarsel.lng", "[TSampleForm]\r\nCaption=From file\r\n");
    const std::string before = folder.ReadBytes("Tarsel.lng");
    {
        TSLTranslator translator(folder.File("Tarsel.lng"));
        ASSERT_TRUE(translator.GetReadOnly());
        auto form = NewComponent<TSampleForm>(nullptr);
        translator.TranslateForm(form.get());
        EXPECT_EQ(form->Caption(), "From file");
        translator.WriteString("X", "y", "z");
        translator.WriteForm(form.get());
        TSampleStrings strings;
        translator.WriteObjectStrings(&strings);
        translator.UpdateFile();
        EXPECT_FALSE(translator.IniFile().SectionExists("X"));
        EXPECT_FALSE(translator.IniFile().SectionExists("TSampleStrings"));
        EXPECT_EQ(translator.IniFile().ReadString("TSampleForm", "Caption", ""), "From file");
    }
    EXPECT_EQ(folder.ReadBytes("Tarsel.lng"), before);
    TSLTranslator missing(folder.File("Missing.lng"));
    missing.UpdateFile();
    EXPECT_FALSE(std::filesystem::exists(folder.File("Missing.lng")));
}

TEST(SLTranslatorModes, FileMarkedReadOnlyIsNeverWritten) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng", "[TSampleForm]\r\nCaption=Kept\r\n");
    std::filesystem::permissions(language.File,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const std::string before = language.Folder.ReadBytes("lang/Tarsel.lng");
    {
        auto translator = language.Open();
        auto form = NewComponent<TSampleForm>(nullptr);
        form->SetCaption("Changed");
        translator->WriteForm(form.get()); // window sections stay
        EXPECT_EQ(translator->IniFile().ReadString("TSampleForm", "Caption", ""), "Kept");
        TSampleStrings strings;
        translator->WriteObjectStrings(&strings); // holder sections reach the image
        EXPECT_TRUE(translator->IniFile().SectionExists("TSampleStrings"));
        translator->UpdateFile();
    } // the destructor writes once more
    EXPECT_EQ(language.Folder.ReadBytes("lang/Tarsel.lng"), before);
}

TEST(SLTranslatorModes, UseModuleNamePrefixesTheProgramFile) {
    TSLTranslator translator("");
    translator.SetUseModuleName(true);
    const std::string program =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    EXPECT_EQ(translator.GetSectionName("TMainForm"), program + ".TMainForm");
}

TEST(SLLangStrHolders, ReadAfterConstructionWriteBeforeDestruction) {
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng",
                               "[TSampleStrings]\r\nTitle=New title\r\n"
                               "Fixed=ignored\r\nWide=\xE5\xAE\xBD\r\nCount=9\r\n");
    auto translator = language.Open();
    Translator = translator.get();
    {
        auto strings = NewLangStr<TSampleStrings>();
        EXPECT_EQ(strings->Title, "New title");
        EXPECT_EQ(strings->Text, "text");
        EXPECT_EQ(strings->Wide, u"\u5BBD");
        EXPECT_EQ(strings->Count, 3);
        strings->Text = "two\r\nlines";
    }
    Translator = nullptr;
    const TSLMemIniFile& ini = translator->IniFile();
    EXPECT_EQ(ini.ReadSection("TSampleStrings"),
              (std::vector<std::string>{"Text", "Title", "Wide"}));
    EXPECT_EQ(ini.ReadString("TSampleStrings", "Text", ""), "two#13#10lines");
}

TEST(SLLangStrHolders, WithoutTranslatorDefaultsStayAndNothingIsWritten) {
    ASSERT_EQ(Translator, nullptr);
    auto strings = NewLangStr<TSampleStrings>();
    EXPECT_EQ(strings->Title, "Default title");
    strings.reset();
}

TEST(SLLangUtilsLifecycle, InitializeCreatesReadOnlyAndFinalizeFrees) {
    InitializeSLLangUtils();
    ASSERT_NE(Translator, nullptr);
    EXPECT_TRUE(Translator->GetReadOnly());
    EXPECT_EQ(Translator->GetFileName(), "");
    FinalizeSLLangUtils();
    EXPECT_EQ(Translator, nullptr);
}

// --- Damaged files --------------------------------------------------------------------------

// A literal's bytes, NULs included.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

TEST(SLTranslatorDamagedFiles, NulInAFontValueEndsTheFaceNameInEveryEncoding) {
    // U+0000 in a UTF-16 file, or a NUL byte in an 8-bit one, inside the face name.
    const std::string font = Bytes("Tahoma\0;clRed;-11;0;10;");
    const std::string text = "[TSampleForm]\r\nFont=" + font + "\r\nCaption=After\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : text)
        utf16.append({c, '\0'});
    for (const std::string& bytes : {text, utf16}) {
        TWritableLanguage language;
        language.Folder.WriteBytes("lang/Tarsel.lng", bytes);
        auto translator = language.Open();
        auto form = NewComponent<TSampleForm>(nullptr);
        translator->TranslateForm(form.get());
        EXPECT_EQ(form->Caption(), "After");
        EXPECT_EQ(form->Font().Name(), "Tahoma");
        EXPECT_EQ(form->Font().Size(), 10);
        EXPECT_EQ(form->Font().Color(), clRed);
    }
}

TEST(SLTranslatorDamagedFiles, ControlCharactersSeparateFontFieldsLikeBlanks) {
    const struct {
        const char* Why;
        std::string Text;
        bool Applies;
    } rows[] = {
        {"NULs alone between the fields",
         Bytes("Arial\0clRed\0-13\0"
               "0\0"
               "10\0Bold"),
         true},
        {"NULs before the first field", Bytes("\0\0Arial;clRed;-13;0;10;"), true},
        {"only NULs", std::string(64, '\0'), false},
        {"NUL inside quotes stays in the name", Bytes("\"Ari\0al\";clRed;-13;0;10;"), true},
        {"unclosed quote", "\"Arial;clRed;-13;0;10;", false},
        {"tab and bell", "Arial\t;\aclRed;-13;0;10;", true},
    };
    for (const auto& row : rows) {
        TFont font;
        EXPECT_EQ(TSLTranslator::StringToFont(row.Text, font), row.Applies) << row.Why;
    }
}

TEST(SLTranslatorDamagedFiles, OneStrayByteInAUtf8FileKeepsEveryOtherText) {
    // "测试尺子" in UTF-8; a Latin-1 "é" typed into a comment.
    const std::string title = "\xE6\xB5\x8B\xE8\xAF\x95\xE5\xB0\xBA\xE5\xAD\x90";
    TWritableLanguage language;
    language.Folder.WriteBytes("lang/Tarsel.lng",
                               "; caf\xE9 notes\r\n[TSampleStrings]\r\nTitle=" + title + "\r\n");
    language.Translator = language.Open();
    auto strings = std::make_unique<TSampleStrings>();
    language.Translator->ReadObjectStrings(strings.get());
    EXPECT_EQ(strings->Title, title);
    // Written back in writable mode, the title is still the same text.
    language.Translator->WriteObjectStrings(strings.get());
    auto reopened = language.Reopen();
    std::string reread;
    ASSERT_TRUE(reopened->ReadString("TSampleStrings", "Title", reread));
    EXPECT_EQ(reread, title);
}
