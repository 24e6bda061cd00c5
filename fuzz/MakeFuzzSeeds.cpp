// Writes the seed inputs of the fuzz targets: files as the program itself saves them, made
// with its own save functions, so that fuzzing starts from the shapes real files have.
//
//   MakeFuzzSeeds <folder>    writes <folder>/<Target>/seed-*, replacing older seeds
//
// The seeds in fuzz/corpus/ were made this way; run it again when a saved format changes.

#include "FuzzSupport.h"
#include "app/CheckForUpdateFrm.h"
#include "app/UpdateService.h"
#include "foundation/AboutFrm.h"
#include "foundation/SLGDIPImage.h"
#include "foundation/SLLangUtils.h"
#include "foundation/SLVclUtils.h"
#include "foundation/SLXmlUtils.h"
#include "rulers/RectangleRuler.h"
#include "rulers/RulerConsts.h"
#include "rulers/RulerInfos.h"
#include "rulers/TriangleRuler.h"
#include "support/PictureFiles.h"

#include <gif_lib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// The GUID the gather target gives its description (fuzz/ImageGatherFuzzer.cpp).
constexpr const char* GatherGuid = "{6F1C0B52-3E0A-4C4B-9D3E-7B2A41F0C9D1}";

fs::path Root;

void WriteSeed(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path folder = Root / target;
    fs::create_directories(folder);
    std::ofstream(folder / ("seed-" + name), std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// --- settings -------------------------------------------------------------------------------

std::string SettingsText(TAppInfo& info) {
    std::ostringstream text;
    info.SaveToStream(text);
    return text.str();
}

void WriteSettingsSeeds() {
    TAppInfo defaults;
    defaults.GetCurrentRuler();
    WriteSeed("SettingsFuzzer", "defaults.ini", SettingsText(defaults));

    TAppInfo used;
    used.MouseSnap = true;
    used.Transparent = 255;
    used.OptionInfo().AutoCheckUpdate = false;
    used.SelectRulerClass(TTriangleRuler::StaticClassInfo());
    TBaseRuler* square = used.GetCurrentRuler();
    square->Angle = -33.75f;
    square->OffsetX = 1234.5f;
    square->OffsetY = -0.1f;
    square->SetSize(777.25f, 321.0f);
    // A second straight ruler: lists may repeat a kind.
    used.RulerObjectList().AddItem(std::make_unique<TRectangleRuler>());
    WriteSeed("SettingsFuzzer", "used.ini", SettingsText(used));
}

// --- language file --------------------------------------------------------------------------

// The template a writable language file collects over a run: the string holders and the
// windows the program writes, as the translator saves it (UTF-16 LE with a mark).
std::string LanguageTemplate(const fs::path& file) {
    InitializeSLLangUtils();
    Translator->SetFileName(file.string());
    Translator->SetReadOnly(false);
    NewComponent<TAboutForm>(nullptr).reset();
    NewComponent<TCheckForUpdateForm>(nullptr).reset();
    AppStr();
    ShowDialogStr();
    FinalizeRulerConsts();
    FinalizeSLVclUtils();
    const std::string text = Translator->IniFile().GetText();
    FinalizeSLLangUtils();
    return text;
}

void WriteLanguageSeeds(const fs::path& scratch) {
    const fs::path file = scratch / "Languages" / "zh" / "TarselRuler.lng";
    const std::string text = LanguageTemplate(file);
    WriteSeed("LanguageFileFuzzer", "template-utf16.lng", ReadFile(file));
    WriteSeed("LanguageFileFuzzer", "template-utf8-bom.lng", "\xEF\xBB\xBF" + text);
    WriteSeed("LanguageFileFuzzer", "template-utf8.lng", text);
    // What translators write by hand: shared texts, encoded blanks and line breaks, a font.
    WriteSeed("LanguageFileFuzzer", "hand-made.lng",
              "; comment\r\n[Language]\r\nName=Deutsch\r\nRightToLeft=0\r\n\r\n"
              "[Common]\r\n0=0\r\nOK=OK\r\n\r\n"
              "[TAboutForm]\r\nFont=\"DejaVu Sans\";clWindowText;-13;0;10;Bold,Italic\r\n"
              "Caption=#32About#32\r\nbtnOk.Caption=Common-OK\r\n\r\n"
              "[TAppStr]\r\nAppTitle=Lineal\r\nAboutText=Zeile 1#13#10Zeile 2\r\n");
}

// --- pictures -------------------------------------------------------------------------------

void WriteGif(const std::string& fileName) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(fileName.c_str(), false, &error);
    if (gif == nullptr)
        std::abort();
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    gif->SWidth = 4;
    gif->SHeight = 2;
    gif->SColorResolution = 8;
    gif->SColorMap = GifMakeMapObject(4, colors);
    SavedImage frame{};
    frame.ImageDesc = {0, 0, 4, 2, false, nullptr};
    GifByteType raster[8] = {0, 1, 2, 3, 3, 2, 1, 0};
    frame.RasterBits = raster;
    GifMakeSavedImage(gif, &frame);
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = 3;
    EGifGCBToSavedExtension(&control, gif, 0);
    // Closing the encoder frees neither the frames nor the screen colour map it was given.
    ColorMapObject* screenColors = gif->SColorMap;
    GifFileType written{};
    written.SavedImages = gif->SavedImages;
    written.ImageCount = gif->ImageCount;
    const int result = EGifSpew(gif);
    GifFreeMapObject(screenColors);
    GifFreeSavedImages(&written);
    if (result != GIF_OK)
        std::abort();
}

// A 3 x 2 picture with one see-through and one half-transparent pixel.
void DrawSmallPicture(TSLImageEx& image) {
    TSLBitmap& bitmap = image.NewBitmap(3, 2);
    bitmap.LockBits();
    auto* row0 = reinterpret_cast<ARGB*>(bitmap.GetScanLine(0));
    auto* row1 = reinterpret_cast<ARGB*>(bitmap.GetScanLine(1));
    row0[0] = 0xFFFF0000;
    row0[1] = 0x8000FF00;
    row0[2] = 0x00000000;
    row1[0] = 0xFF0000FF;
    row1[1] = 0xFFFFFFFF;
    row1[2] = 0xFF000000;
    bitmap.UnlockBits();
}

std::string ElementText(TSLImageEx& image) {
    pugi::xml_document document;
    image.WriteToXmlNode(document.append_child(image.ClassName().c_str()));
    return TSLXmlfn::ToText(document);
}

std::string Int64LE(std::int64_t value) {
    std::string bytes;
    for (int i = 0; i < 8; ++i)
        bytes += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

// One record of the gather's side stream: the GUID text, then the picture's bytes.
std::string GatherRecord(const std::string& guid, const std::string& bytes) {
    std::string header(TSLImageExGather::RecordHeaderSize, '\0');
    header[0] = static_cast<char>(guid.size());
    guid.copy(header.data() + 1, guid.size());
    const std::string size = Int64LE(static_cast<std::int64_t>(bytes.size()));
    size.copy(header.data() + TSLImageExGather::DataSizeOffset, size.size());
    return header + bytes;
}

std::string GatherBlock(const std::string& records) {
    return Int64LE(static_cast<std::int64_t>(8 + records.size())) + records;
}

void WritePictureSeeds(const fs::path& scratch) {
    TSLImageEx drawn;
    DrawSmallPicture(drawn);
    WriteSeed("ImageXmlFuzzer", "png.xml", ElementText(drawn));
    std::ostringstream pngBytes;
    drawn.SaveToStream(pngBytes);

    const std::string gifFile = (scratch / "small.gif").string();
    WriteGif(gifFile);
    TSLImageEx gif;
    gif.LoadFromFile(gifFile);
    WriteSeed("ImageXmlFuzzer", "gif.xml", ElementText(gif));
    std::ostringstream gifBytes;
    gif.SaveToStream(gifBytes);

    const std::string wmfFile = (scratch / "red.wmf").string();
    std::ofstream(wmfFile, std::ios::binary) << RedRectangleWmf();
    TSLImageEx wmf;
    wmf.LoadFromFile(wmfFile);
    WriteSeed("ImageXmlFuzzer", "wmf.xml", ElementText(wmf));

    TSLImageEx empty;
    WriteSeed("ImageXmlFuzzer", "empty.xml", ElementText(empty));

    // Gather: the first byte picks the description's FileExt (0 ".PNG", 1 ".GIF", 2 ".wmf").
    const std::string other = GatherRecord("{00000000-0000-0000-0000-000000000000}", "xyz");
    WriteSeed("ImageGatherFuzzer", "png.bin",
              '\0' + GatherBlock(other + GatherRecord(GatherGuid, pngBytes.str())));
    WriteSeed("ImageGatherFuzzer", "gif.bin",
              '\1' + GatherBlock(GatherRecord(GatherGuid, gifBytes.str())));
    WriteSeed("ImageGatherFuzzer", "wmf.bin",
              '\2' + GatherBlock(GatherRecord(GatherGuid, RedRectangleWmf())));
    WriteSeed("ImageGatherFuzzer", "wmf-drawing.bin",
              '\2' + GatherBlock(GatherRecord(GatherGuid, DrawingWmf())));
    WriteSeed("ImageGatherFuzzer", "no-records.bin", '\0' + GatherBlock(""));
}

// --- update replies -------------------------------------------------------------------------

void WriteUpdateReplySeeds() {
    WriteSeed("UpdateReplyFuzzer", "newest", "0");
    WriteSeed("UpdateReplyFuzzer", "new-version",
              std::string(NewVersionMarker) +
                  "https://tarsel-ruler.example/download/TarselRuler-1.0.0.2.tar.gz");
    WriteSeed("UpdateReplyFuzzer", "message", "服务器维护中，请稍后再试。");
    WriteSeed("UpdateReplyFuzzer", "newest-with-line-break", "0\r\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    Root = argv[1];
    fuzz::StartOffscreenQt();
    RegisterRulerClasses();
    fuzz::TScratchFile scratch("unused");
    WriteSettingsSeeds();
    WriteLanguageSeeds(scratch.Folder());
    WritePictureSeeds(scratch.Folder());
    WriteUpdateReplySeeds();
    return 0;
}
