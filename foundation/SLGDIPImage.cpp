#include "foundation/SLGDIPImage.h"
#include "platform/system/TextRules.h"

#include "foundation/GifImage.h"
#include "foundation/PngObject.h"
#include "foundation/SLMMUtils.h"
#include "foundation/SLPicUtils.h"
#include "foundation/SLSysUtils.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPMetafile.h"
#include "platform/pictures/VclClipboard.h"
#include "platform/pictures/VclPicture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace {
constexpr ARGB kOpaqueBlack = 0xFF000000;
constexpr ARGB kOpaqueWhite = 0xFFFFFFFF;
constexpr ARGB kTransparentBlack = 0x00000000;
constexpr std::uint8_t kOpaque = 255;
constexpr int kBytesPerPixel = 4;
constexpr int kAlphaByte = 3; // of a pixel in memory order blue, green, red, alpha
constexpr int kVideoThumbnailWidth = 400;
constexpr int kVideoThumbnailHeight = 300;
constexpr int kSavedPngCompression = 5;
constexpr std::size_t kBase64LineLength = 76;
constexpr int kIndentPerLevel = 2; // spaces per element level in the saved document
constexpr char kLineEnd[] = "\r\n";
constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The extension as the name spells it: from the last point after the last path delimiter,
// point included; empty when there is none.
std::string ExtractFileExt(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot);
}

// A saved extension becomes part of a temporary file's name: path delimiters and NULs in
// it must not lead the file anywhere else.
std::string SafeExtension(std::string extension) {
    std::replace_if(
        extension.begin(), extension.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
    return extension;
}

std::string ReadWholeFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EFOpenError(FormatMessage("Cannot open file \"%s\".", fileName.c_str()));
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteWholeFile(const std::string& fileName, const std::string& bytes) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw EFCreateError(FormatMessage("Cannot create file \"%s\".", fileName.c_str()));
}

void DeleteQuietly(const std::string& fileName) {
    std::error_code error;
    std::filesystem::remove(fileName, error);
}

std::string Base64Encode(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = std::uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1)
            group |= std::uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64Alphabet[(group >> 18) & 63];
        out += kBase64Alphabet[(group >> 12) & 63];
        out += left > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kBase64Alphabet[group & 63] : '=';
    }
    return out;
}

// Characters outside the alphabet (line breaks, indentation) are skipped; decoding stops at
// the first padding character.
std::string Base64Decode(const std::string& text) {
    std::array<int, 256> values;
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kBase64Alphabet[i])] = i;
    std::string out;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const int value = values[static_cast<unsigned char>(c)];
        if (value < 0)
            continue;
        group = (group << 6) | std::uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

int ElementLevel(pugi::xml_node element) {
    int level = 0;
    for (pugi::xml_node n = element.parent(); n && n.type() == pugi::node_element; n = n.parent())
        ++level;
    return level;
}

// Base64 in lines of 76, each line on its own line of the document at the element's own
// indentation, and the closing tag too.
std::string LaidOutBase64(const std::string& bytes, int level) {
    const std::string encoded = Base64Encode(bytes);
    const std::string indent(static_cast<std::size_t>(level * kIndentPerLevel), ' ');
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); i += kBase64LineLength) {
        text += kLineEnd;
        text += indent;
        text += encoded.substr(i, kBase64LineLength);
    }
    text += kLineEnd;
    text += indent;
    return text;
}

void RemoveText(pugi::xml_node element) {
    for (pugi::xml_node child = element.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            element.remove_child(child);
        child = next;
    }
}

std::string ElementText(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node child : element.children())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    return text;
}

bool IsMetafileExtension(const std::string& extension) {
    return platform::SameTextAscii(extension, ".EMF") || platform::SameTextAscii(extension, ".WMF");
}

// Keeps a bitmap's lock for a scope so that an exception also unlocks it.
class TLockGuard {
public:
    explicit TLockGuard(TSLBitmap& bitmap) : FBitmap(bitmap), FData(bitmap.LockBits()) {}
    ~TLockGuard() { FBitmap.UnlockBits(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;
    TGPBitmapData* Data() const { return FData; }

private:
    TSLBitmap& FBitmap;
    TGPBitmapData* FData;
};

std::int64_t ReadInt64LE(const char* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return static_cast<std::int64_t>(value);
}

constexpr const char* kStreamReadError = "Stream read error";

// The number of bytes from the stream's position to its end; the position stays.
std::int64_t BytesLeft(std::istream& stream) {
    const std::istream::pos_type here = stream.tellg();
    stream.seekg(0, std::ios::end);
    const std::istream::pos_type end = stream.tellg();
    stream.seekg(here);
    return here < 0 || end < here ? 0 : static_cast<std::int64_t>(end - here);
}
} // namespace

// --- TSLBitmap -----------------------------------------------------------------------------------

std::unique_ptr<TSLBitmap> TSLBitmap::CopyOf(TGPBitmap& source) {
    const auto width = static_cast<std::int32_t>(source.GetWidth());
    const auto height = static_cast<std::int32_t>(source.GetHeight());
    auto copy = std::make_unique<TSLBitmap>(width, height, PixelFormat32bppARGB);
    if (copy->IsEmpty())
        return copy;
    const TGPRect whole{0, 0, width, height};
    TGPBitmapData from;
    if (source.LockBits(whole, ImageLockModeRead, PixelFormat32bppARGB, from) != TGPStatus::Ok)
        return copy;
    TGPBitmapData to;
    if (copy->TGPBitmap::LockBits(whole, ImageLockModeWrite, PixelFormat32bppARGB, to) ==
        TGPStatus::Ok) {
        for (std::int32_t y = 0; y < height; ++y)
            std::memcpy(ScanLine(to, std::uint32_t(y)), ScanLine(from, std::uint32_t(y)),
                        std::size_t(width) * kBytesPerPixel);
        copy->TGPBitmap::UnlockBits(to);
    }
    source.UnlockBits(from);
    return copy;
}

std::unique_ptr<TSLBitmap> TSLBitmap::CloneBitmap() {
    if (IsEmpty())
        return std::make_unique<TSLBitmap>();
    if (!Locked)
        return CopyOf(*this);
    // Our own lock holds the pixels in 32-bit ARGB already.
    auto copy = std::make_unique<TSLBitmap>(std::int32_t(GetWidth()), std::int32_t(GetHeight()));
    TLockGuard lock(*copy);
    for (std::uint32_t y = 0; y < GetHeight(); ++y)
        std::memcpy(copy->GetScanLine(int(y)), GetScanLine(int(y)),
                    std::size_t(GetWidth()) * kBytesPerPixel);
    return copy;
}

std::unique_ptr<TGPImage> TSLBitmap::Clone() const {
    // Copying goes through a lock, which leaves the pixels as they are.
    return const_cast<TSLBitmap*>(this)->CloneBitmap();
}

TGPBitmapData* TSLBitmap::LockBits() {
    if (Locked)
        return &BitmapData;
    if (IsEmpty())
        return nullptr;
    if (GetPixelFormat() != PixelFormat32bppARGB) {
        // From now on the bitmap is 32-bit ARGB, so that the lock is its own memory.
        auto converted = CopyOf(*this);
        std::swap(FImpl, converted->FImpl);
    }
    const TGPRect whole{0, 0, std::int32_t(GetWidth()), std::int32_t(GetHeight())};
    if (TGPBitmap::LockBits(whole, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB,
                            BitmapData) != TGPStatus::Ok)
        return nullptr;
    Locked = true;
    return &BitmapData;
}

void TSLBitmap::UnlockBits() {
    if (!Locked)
        return;
    TGPBitmap::UnlockBits(BitmapData);
    Locked = false;
}

std::uint8_t* TSLBitmap::GetScanLine(int y) const {
    return static_cast<std::uint8_t*>(BitmapData.Scan0) +
           static_cast<std::ptrdiff_t>(y) * BitmapData.Stride;
}

bool TSLBitmap::HasAlphaBelow(std::uint8_t limit) {
    if (IsEmpty())
        return false;
    TLockGuard lock(*this);
    if (lock.Data() == nullptr)
        return false;
    const auto* pixels = static_cast<const std::uint8_t*>(BitmapData.Scan0);
    const std::size_t count = std::size_t(GetWidth()) * GetHeight();
    for (std::size_t i = 0; i < count; ++i)
        if (pixels[i * kBytesPerPixel + kAlphaByte] < limit)
            return true;
    return false;
}

void TSLBitmap::MakeColorKeyTables(TColor keyColor, std::uint8_t* red, std::uint8_t* green,
                                   std::uint8_t* blue) const {
    std::fill_n(red, 256, kOpaque);
    std::fill_n(green, 256, kOpaque);
    std::fill_n(blue, 256, kOpaque);
    const auto key = static_cast<std::uint32_t>(keyColor);
    red[key & 0xFF] = 0;
    green[(key >> 8) & 0xFF] = 0;
    blue[(key >> 16) & 0xFF] = 0;
}

void TSLBitmap::SetAlpha(bool setAlpha, std::uint8_t alpha, bool colorKey, TColor keyColor) {
    if (IsEmpty() || (!setAlpha && !colorKey))
        return;
    std::array<std::uint8_t, 256> red{}, green{}, blue{};
    if (colorKey)
        MakeColorKeyTables(keyColor, red.data(), green.data(), blue.data());
    TLockGuard lock(*this);
    if (lock.Data() == nullptr)
        return;
    auto* pixels = static_cast<std::uint8_t*>(BitmapData.Scan0);
    const std::size_t count = std::size_t(GetWidth()) * GetHeight();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = pixels + i * kBytesPerPixel; // blue, green, red, alpha
        if (setAlpha)
            p[kAlphaByte] = alpha;
        if (colorKey) {
            // 0 exactly when all three channels are the key's, 255 otherwise.
            const std::uint8_t k = red[p[2]] | green[p[1]] | blue[p[0]];
            p[kAlphaByte] = std::min(p[kAlphaByte], k);
        }
    }
}

// --- TSLImageEx ----------------------------------------------------------------------------------

const TClassInfo& TSLImageEx::StaticClassInfo() {
    static const TClassInfo info{"TSLImageEx",
                                 &TSLGDIPBaseEx::StaticClassInfo(),
                                 {Published("FileExt", &TSLImageEx::FileExt),
                                  Published("GUID", &TSLImageEx::GUID),
                                  Published("IsPicFile", &TSLImageEx::IsPicFile)},
                                 Factory<TSLImageEx>()};
    return info;
}

TSLImageEx::TSLImageEx() : GUID(TSLStrfn::NewGuidString()), FImage(std::make_unique<TSLBitmap>()) {}

TSLImageEx::~TSLImageEx() = default;

TSLBitmap* TSLImageEx::Bitmap() const {
    return dynamic_cast<TSLBitmap*>(FImage.get());
}

void TSLImageEx::Assign(const TPersistent* source) {
    if (const auto* image = dynamic_cast<const TSLImageEx*>(source)) {
        AssignImageEx(*image);
        return;
    }
    TSLGDIPBaseEx::Assign(source);
}

void TSLImageEx::Assign(const TBitmap& bitmap) {
    AssignBitmap(&bitmap);
}

void TSLImageEx::Assign(const TPNGObject& png) {
    AssignPNG(png);
}

void TSLImageEx::Assign(const TGIFImage& gif) {
    AssignGIF(&gif);
}

void TSLImageEx::Assign(const TIcon& icon) {
    AssignIcon(icon);
}

void TSLImageEx::Assign(const TMetafile& metafile) {
    AssignMetafile(metafile);
}

void TSLImageEx::Assign(const TClipboard& clipboard) {
    AssignClipboard(clipboard);
}

std::unique_ptr<TXmlPersistent> TSLImageEx::Clone() const {
    auto copy = std::make_unique<TSLImageEx>();
    copy->AssignImageEx(*this);
    return copy;
}

void TSLImageEx::AssignImageEx(const TSLImageEx& source) {
    if (&source == this)
        return;
    if (source.IsEmpty() && source.FSourceBytes.empty()) {
        Clear();
        return;
    }
    if (TSLBitmap* bitmap = source.Bitmap())
        FImage = bitmap->CloneBitmap();
    else
        FImage = source.FImage->Clone();
    FSourceBytes = source.FSourceBytes;
    FileExt = source.FileExt;
    IsPicFile = source.IsPicFile;
}

void TSLImageEx::AssignBitmap(const TBitmap* bitmap) {
    if (bitmap == nullptr || bitmap->Empty()) {
        NewBitmap(0, 0);
        IsPicFile = true;
        return;
    }
    FSourceBytes.clear();
    FileExt.clear();
    FImage = TSLBitmap::CopyOf(*bitmap->Rendered());
    IsPicFile = true;
}

void TSLImageEx::AssignGraphic(const TGraphic& graphic, ARGB background) {
    FSourceBytes.clear();
    FileExt.clear();
    if (Bitmap() == nullptr)
        FImage = std::make_unique<TSLBitmap>();
    Resize(graphic.Width(), graphic.Height(), false, false);
    if (!IsEmpty()) {
        TGPGraphics graphics(*FImage);
        graphics.Clear(background);
        graphics.DrawImage(*graphic.Rendered(), 0, 0);
    }
    IsPicFile = true;
}

void TSLImageEx::AssignPNG(const TPNGObject& png) {
    AssignGraphic(png, kOpaqueBlack);
    TSLBitmap* bitmap = Bitmap();
    switch (png.TransparencyMode()) {
    case TPNGTransparencyMode::ptmBit:
        bitmap->SetAlpha(false, kOpaque, true, png.TransparentColor());
        break;
    case TPNGTransparencyMode::ptmPartial: {
        TLockGuard lock(*bitmap);
        if (lock.Data() == nullptr)
            break;
        // The PNG's own colour goes with its alpha: drawn over black, a half transparent
        // pixel would otherwise keep a colour darkened by the black.
        for (int y = 0; y < png.Height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(bitmap->GetScanLine(y));
            for (int x = 0; x < png.Width(); ++x)
                row[x] = png.Pixel(x, y);
        }
        break;
    }
    case TPNGTransparencyMode::ptmNone:
        break;
    }
    std::ostringstream bytes;
    png.SaveToStream(bytes);
    FSourceBytes = bytes.str();
    FileExt = ".PNG";
    IsPicFile = true;
}

void TSLImageEx::AssignGIF(const TGIFImage* gif) {
    if (gif == nullptr || gif->FrameCount() == 0) {
        NewBitmap(0, 0);
        return;
    }
    const ARGB background = gif->FirstFrameTransparent()
                                ? TSLGDIPfn::ColorToARGB(0, gif->FirstFrameTransparentColor())
                                : kOpaqueWhite;
    AssignGraphic(*gif, background);
    std::ostringstream bytes;
    gif->SaveToStream(bytes);
    FSourceBytes = bytes.str();
    FileExt = ".GIF";
    IsPicFile = true;
}

void TSLImageEx::AssignIcon(const TIcon& icon) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormatVcl::pf32bit);
    bitmap.SetSize(icon.Width(), icon.Height());
    bitmap.Draw(0, 0, icon);
    AssignBitmap(&bitmap);
    std::ostringstream bytes;
    icon.SaveToStream(bytes);
    FSourceBytes = bytes.str();
    FileExt = ".ICO";
}

void TSLImageEx::AssignMetafile(const TMetafile& metafile) {
    std::ostringstream bytes;
    metafile.SaveToStream(bytes);
    FSourceBytes = bytes.str();
    FileExt = metafile.Enhanced() ? ".emf" : ".wmf";
    std::istringstream stream(FSourceBytes);
    FImage = TGPMetafile::FromStream(stream);
    IsPicFile = true;
}

void TSLImageEx::AssignClipboard(const TClipboard& clipboard) {
    if (clipboard.HasFormat(CF_METAFILEPICT)) {
        // Never offered on this platform (see TClipboard); kept for a clipboard that does.
        AssignMetafile(TMetafile());
        IsPicFile = true;
    } else if (clipboard.HasFormat(CF_BITMAP)) {
        TBitmap bitmap;
        clipboard.AssignTo(bitmap);
        AssignBitmap(&bitmap);
        IsPicFile = true;
    }
}

void TSLImageEx::Clear() {
    NewBitmap(0, 0);
}

TSLBitmap& TSLImageEx::NewBitmap(int width, int height) {
    FSourceBytes.clear();
    FileExt.clear();
    auto bitmap = (width > 0 && height > 0)
                      ? std::make_unique<TSLBitmap>(width, height, PixelFormat32bppARGB)
                      : std::make_unique<TSLBitmap>();
    TSLBitmap& result = *bitmap;
    FImage = std::move(bitmap);
    return result;
}

void TSLImageEx::Resize(int width, int height, bool scale, bool highQuality) {
    if (IsEmpty() || !scale) {
        NewBitmap(width, height);
        return;
    }
    auto scaled = (width > 0 && height > 0)
                      ? std::make_unique<TSLBitmap>(width, height, PixelFormat32bppARGB)
                      : std::make_unique<TSLBitmap>();
    if (!scaled->IsEmpty()) {
        TGPGraphics graphics(*scaled);
        TSLGDIPfn::SetInterpolationQuality(graphics, highQuality);
        graphics.DrawImage(*FImage, TGPRectF(0, 0, float(width), float(height)), 0, 0,
                           float(GetWidth()), float(GetHeight()), UnitPixel);
    }
    FImage = std::move(scaled);
    FSourceBytes.clear();
    FileExt.clear();
}

void TSLImageEx::LoadFromFile(const std::string& fileName) {
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return;
    IsPicFile = false;
    const std::string extension = ExtractFileExt(fileName);
    try {
        if (extension.empty())
            LoadShellIcon(fileName);
        else if (platform::SameTextAscii(extension, ".BMP"))
            LoadBMPFile(fileName, extension);
        else if (platform::SameTextAscii(extension, ".WMF") ||
                 platform::SameTextAscii(extension, ".EMF"))
            LoadMetafileFile(fileName, extension);
        else if (platform::SameTextAscii(extension, ".PNG"))
            LoadPNGFile(fileName);
        else if (platform::SameTextAscii(extension, ".GIF"))
            LoadGIFFile(fileName);
        else if (TSLMMfn::IsVideoFile(fileName))
            LoadVideoFile(fileName);
        else
            LoadOtherFile(fileName, extension);
        if (IsEmpty())
            LoadShellIcon(fileName);
    } catch (const std::exception&) {
        LoadShellIcon(fileName);
    }
}

void TSLImageEx::LoadShellIcon(const std::string& fileName) {
    TIcon icon;
    TSLPicfn::GetFileIcon(fileName, true, icon);
    AssignIcon(icon);
    IsPicFile = false;
}

void TSLImageEx::LoadBMPFile(const std::string& fileName, const std::string& extension) {
    auto bitmap = std::make_unique<TSLBitmap>(fileName);
    if (bitmap->GetLastStatus() != TGPStatus::Ok)
        throw EInvalidGraphic(fileName);
    FImage = std::move(bitmap);
    // A BMP's bytes are not held: saving encodes a PNG.
    FSourceBytes.clear();
    FileExt = extension;
    IsPicFile = true;
}

void TSLImageEx::LoadMetafileFile(const std::string& fileName, const std::string& extension) {
    auto metafile = std::make_unique<TGPMetafile>(fileName);
    if (metafile->GetLastStatus() != TGPStatus::Ok)
        throw EInvalidGraphic(fileName);
    FImage = std::move(metafile);
    FSourceBytes = ReadWholeFile(fileName);
    FileExt = extension;
    IsPicFile = true;
}

void TSLImageEx::LoadPNGFile(const std::string& fileName) {
    TPNGObject png;
    png.LoadFromFile(fileName);
    AssignPNG(png);
    IsPicFile = true;
}

void TSLImageEx::LoadGIFFile(const std::string& fileName) {
    TGIFImage gif;
    gif.LoadFromFile(fileName);
    AssignGIF(&gif);
    IsPicFile = true;
}

void TSLImageEx::LoadVideoFile(const std::string& fileName) {
    const std::unique_ptr<TBitmap> frame =
        TSLMMfn::GetVideoThumbnail(fileName, kVideoThumbnailWidth, kVideoThumbnailHeight);
    if (!frame)
        throw Exception("");
    AssignBitmap(frame.get());
    IsPicFile = false;
}

void TSLImageEx::LoadOtherFile(const std::string& fileName, const std::string& extension) {
    auto image = TGPImage::FromFile(fileName);
    if (image->GetLastStatus() == TGPStatus::Ok) {
        FImage = std::move(image);
        IsPicFile = true;
    } else {
        TPicture picture;
        if (!picture.LoadFromFile(fileName))
            throw EInvalidGraphic(fileName);
        AssignGraphic(*picture.Graphic(), kOpaqueWhite);
        IsPicFile = true;
    }
    FSourceBytes = ReadWholeFile(fileName);
    FileExt = platform::UpperCaseAscii(extension);
}

bool TSLImageEx::HoldsUndrawnMetafile() const {
    return IsEmpty() && !FSourceBytes.empty() && IsMetafileExtension(FileExt);
}

void TSLImageEx::SaveToStream(std::ostream& stream) {
    if (IsEmpty() && !HoldsUndrawnMetafile())
        return;
    if (!FileExt.empty() && !FSourceBytes.empty()) {
        stream.write(FSourceBytes.data(), static_cast<std::streamsize>(FSourceBytes.size()));
        return;
    }
    TPNGObject png;
    AssignToPNG(png);
    png.CompressionLevel = kSavedPngCompression;
    png.SaveToStream(stream);
}

void TSLImageEx::AssignToPNG(TPNGObject& png) const {
    const int width = GetWidth();
    const int height = GetHeight();
    png.RemoveTransparency();
    png.Resize(0, 0);
    png.Resize(width, height);
    if (IsEmpty())
        return;

    std::unique_ptr<TSLBitmap> pixels;
    bool withAlpha = false;
    if (TSLBitmap* bitmap = Bitmap()) {
        withAlpha = bitmap->HasAlphaBelow(kOpaque);
        pixels = bitmap->CloneBitmap();
    } else {
        pixels = std::make_unique<TSLBitmap>(width, height, PixelFormat32bppARGB);
        TGPGraphics graphics(*pixels);
        graphics.Clear(kOpaqueBlack);
        graphics.DrawImage(*FImage, 0, 0);
    }
    if (withAlpha)
        png.CreateAlpha();
    TLockGuard lock(*pixels);
    if (lock.Data() == nullptr)
        return;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels->GetScanLine(y));
        std::uint8_t* alpha = png.AlphaScanline(y);
        for (int x = 0; x < width; ++x) {
            // Straight colour with its alpha; without alpha the colour as drawn on black.
            const std::uint32_t argb = row[x];
            png.SetPixel(x, y, argb);
            if (withAlpha)
                alpha[x] = std::uint8_t(argb >> 24);
        }
    }
}

void TSLImageEx::EncodePNG() {
    std::ostringstream bytes;
    TPNGObject png;
    AssignToPNG(png);
    png.CompressionLevel = kSavedPngCompression;
    png.SaveToStream(bytes);
    FSourceBytes = bytes.str();
}

void TSLImageEx::WriteToXmlNode(pugi::xml_node element) {
    if (IsEmpty() && !HoldsUndrawnMetafile()) {
        FileExt.clear();
        TSLGDIPBaseEx::WriteToXmlNode(element);
        RemoveText(element);
        return;
    }
    if (FileExt.empty() || FSourceBytes.empty()) {
        FSourceBytes.clear();
        EncodePNG();
        FileExt = ".PNG";
    }
    TSLGDIPBaseEx::WriteToXmlNode(element);
    RemoveText(element);
    if (ImageExGather().Enabled()) {
        ImageExGather().AddImage(this);
        return;
    }
    element.append_child(pugi::node_pcdata)
        .set_value(LaidOutBase64(FSourceBytes, ElementLevel(element)).c_str());
}

void TSLImageEx::ReadFromXmlNode(pugi::xml_node element) {
    TSLGDIPBaseEx::ReadFromXmlNode(element);
    if (ImageExGather().Enabled()) {
        ImageExGather().ReadImage(*this);
        return;
    }
    std::string bytes = Base64Decode(ElementText(element));
    if (bytes.empty()) {
        NewBitmap(0, 0);
        return;
    }
    FSourceBytes = std::move(bytes);
    if (IsMetafileExtension(FileExt)) {
        std::istringstream stream(FSourceBytes);
        FImage = TGPMetafile::FromStream(stream);
        return;
    }
    LoadFromTempFile();
}

void TSLImageEx::LoadFromTempFile() {
    // The format follows FileExt: the loader picks it by the temporary file's extension.
    const std::string fileName =
        TSLSysfn::GetTempPath() + TSLStrfn::NewGuidString() + SafeExtension(FileExt);
    TSLSysfn::ForceFileDirectories(fileName);
    WriteWholeFile(fileName, FSourceBytes);
    try {
        LoadFromFile(fileName);
    } catch (...) {
        DeleteQuietly(fileName);
        throw;
    }
    DeleteQuietly(fileName);
}

// --- TSLImageExGather ----------------------------------------------------------------------------

TSLImageExGather::TSLImageExGather() : FImageList(std::make_unique<TXmlObjectList>()) {
    // The descriptions belong to their owners (a brush's texture, say).
    FImageList->SetOwnsObjects(false);
}

TSLImageExGather::~TSLImageExGather() = default;

void TSLImageExGather::AddImage(TSLImageEx* image) {
    if (image == nullptr || FImageList->IndexOf(image) != -1)
        return;
    // The list would take the description's change notification; its owner keeps it.
    TNotifyEvent ownerHandler = image->OnChange;
    FImageList->AddItem(image);
    image->OnChange = std::move(ownerHandler);
}

int TSLImageExGather::ImageCount() const {
    return FImageList->GetCount();
}

TSLImageEx* TSLImageExGather::GetImage(int index) const {
    return static_cast<TSLImageEx*>(FImageList->GetItem(index));
}

// Every size in the block is checked against the bytes the stream really holds before
// anything is allocated or skipped: a hostile BlockSize or DataSize can neither overflow
// the arithmetic nor make the reader allocate what the stream does not hold.
void TSLImageExGather::ReadImage(TSLImageEx& image) {
    if (FSideStream == nullptr)
        return;
    std::istream& stream = *FSideStream;
    stream.clear();
    stream.seekg(FBaseOffset);
    char sizeField[8];
    if (!stream.read(sizeField, sizeof sizeField))
        return;
    const std::int64_t blockSize = ReadInt64LE(sizeField);
    if (blockSize <= std::int64_t(sizeof sizeField))
        return;
    std::int64_t blockLeft = blockSize - std::int64_t(sizeof sizeField);
    std::array<char, RecordHeaderSize> header;
    while (blockLeft >= RecordHeaderSize) {
        const std::int64_t streamLeft = BytesLeft(stream);
        // A block longer than its stream ends with the stream; a header that the stream
        // cuts short fails.
        if (streamLeft == 0)
            return;
        if (streamLeft < RecordHeaderSize || !stream.read(header.data(), header.size()))
            throw EReadError(kStreamReadError);
        blockLeft -= RecordHeaderSize;
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(header[0]), GuidTextSize);
        const std::string guid(header.data() + 1, length);
        const std::int64_t dataSize = ReadInt64LE(header.data() + DataSizeOffset);
        if (dataSize < 0)
            return;
        const bool wanted = guid == image.GUID;
        // A record whose data the stream does not hold in full: the picture wanted is cut
        // short and cannot be loaded; any other ends the block.
        if (dataSize > streamLeft - RecordHeaderSize) {
            if (wanted)
                throw EReadError(kStreamReadError);
            return;
        }
        if (!wanted) {
            stream.seekg(dataSize, std::ios::cur);
            blockLeft -= dataSize;
            continue;
        }
        std::string data(static_cast<std::size_t>(dataSize), '\0');
        if (!stream.read(data.data(), dataSize))
            throw EReadError(kStreamReadError);
        const std::string fileName =
            TSLSysfn::GetTempDirectory() + TSLStrfn::NewGuidString() + SafeExtension(image.FileExt);
        TSLSysfn::ForceFileDirectories(fileName);
        WriteWholeFile(fileName, data);
        try {
            image.LoadFromFile(fileName);
        } catch (...) {
            DeleteQuietly(fileName);
            throw;
        }
        DeleteQuietly(fileName);
        return;
    }
}
