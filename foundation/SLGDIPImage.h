#pragma once
// Saved pictures. TSLImageEx holds a picture ready for drawing together with the bytes of
// the file it came from, so that saving writes those bytes back instead of a new encoding;
// TSLBitmap is the 32-bit ARGB bitmap with pixel access that it works on; TSLImageExGather
// can keep pictures in a side stream instead of in their XML elements.

#include "foundation/SLGDIPUtils.h"
#include "platform/graphics/GPImage.h"
#include "platform/widgets/VclGraphics.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

class TBitmap;
class TClipboard;
class TGIFImage;
class TGraphic;
class TIcon;
class TMetafile;
class TPNGObject;

// A bitmap whose whole area can be locked once as 32-bit ARGB rows (memory order blue,
// green, red, alpha; rows Stride = 4 x width bytes apart).
class TSLBitmap : public TGPBitmap {
public:
    using TGPBitmap::TGPBitmap;

    // A 32-bit ARGB copy of the bitmap's pixels.
    static std::unique_ptr<TSLBitmap> CopyOf(TGPBitmap& source);

    bool IsEmpty() const { return GetWidth() == 0 || GetHeight() == 0; }
    // A 32-bit ARGB copy; one without pixels for an empty bitmap.
    std::unique_ptr<TSLBitmap> CloneBitmap();
    // The same, as the drawing layer's image copy.
    std::unique_ptr<TGPImage> Clone() const override;
    using TGPBitmap::Clone;

    // Locks the whole bitmap for reading and writing; a bitmap in another format is turned
    // into 32-bit ARGB for good first. A second call while locked returns the same lock.
    // Null for an empty bitmap.
    TGPBitmapData* LockBits();
    // Ends the lock; nothing when unlocked.
    void UnlockBits();
    bool IsLocked() const { return Locked; }
    // Row y of the locked bitmap; neither locks nor checks y.
    std::uint8_t* GetScanLine(int y) const;

    // True when some pixel's alpha is below limit (never for a limit of 0 or no pixels).
    bool HasAlphaBelow(std::uint8_t limit);
    // setAlpha: every pixel's alpha becomes alpha. colorKey: pixels whose red, green and blue
    // all equal keyColor's become fully transparent. Both: key pixels 0, all others alpha.
    void SetAlpha(bool setAlpha, std::uint8_t alpha, bool colorKey, TColor keyColor);

private:
    void MakeColorKeyTables(TColor keyColor, std::uint8_t* red, std::uint8_t* green,
                            std::uint8_t* blue) const;
    bool Locked = false;
    TGPBitmapData BitmapData;
};

class TSLImageEx : public TSLGDIPBaseEx {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // Empty, with a new GUID.
    TSLImageEx();
    ~TSLImageEx() override;

    // From another description (or, for other saved objects, as the base class copies).
    void Assign(const TPersistent* source) override;
    void Assign(const TBitmap& bitmap);
    void Assign(const TPNGObject& png);
    void Assign(const TGIFImage& gif);
    void Assign(const TIcon& icon);
    void Assign(const TMetafile& metafile);
    // A metafile or else a bitmap from the clipboard; nothing when it holds neither.
    void Assign(const TClipboard& clipboard);

    // Same pixels, bytes, FileExt and IsPicFile, its own new GUID.
    std::unique_ptr<TXmlPersistent> Clone() const override;

    void Clear();
    // Replaces everything by a transparent width x height bitmap (empty when either is 0);
    // IsPicFile and GUID stay.
    TSLBitmap& NewBitmap(int width, int height);
    // scale: the picture is drawn into the new size (bicubic when highQuality, else nearest
    // neighbour) and saved as PNG from then on; otherwise it is replaced by a transparent
    // bitmap of that size.
    void Resize(int width, int height, bool scale, bool highQuality);

    // Loads a picture file, chosen by the name's extension; a video shows its first frame
    // and any other file its desktop icon. A missing file changes nothing.
    void LoadFromFile(const std::string& fileName) override;
    // Writes the picture's bytes: the held source bytes, else a PNG encoding; nothing when
    // empty.
    void SaveToStream(std::ostream& stream) override;
    // Renders the picture into the PNG object, with an alpha channel when some pixel is not
    // fully opaque.
    void AssignToPNG(TPNGObject& png) const;

    // Attributes FileExt, GUID, IsPicFile; the picture's bytes as base64 text in lines of 76.
    void WriteToXmlNode(pugi::xml_node element) override;
    void ReadFromXmlNode(pugi::xml_node element) override;

    bool IsEmpty() const { return GetWidth() == 0 || GetHeight() == 0; }
    int GetWidth() const { return static_cast<int>(FImage->GetWidth()); }
    int GetHeight() const { return static_cast<int>(FImage->GetHeight()); }

    // The picture for drawing; never null. Valid until the description is filled again.
    TGPImage& Image() const { return *FImage; }
    // The bytes of the picture in the format FileExt names; empty when none are held.
    const std::string& SourceBytes() const { return FSourceBytes; }

    // Extension of the source bytes' format, point included (".PNG", ".GIF", ".ICO",
    // ".emf", or a file's own); empty when saving is to encode a PNG.
    std::string FileExt;
    std::string GUID;
    // False when the picture only stands for a file that is no picture (a video's
    // thumbnail, a desktop icon).
    bool IsPicFile = true;

private:
    void AssignImageEx(const TSLImageEx& source);
    void AssignBitmap(const TBitmap* bitmap);
    void AssignGraphic(const TGraphic& graphic, ARGB background);
    void AssignPNG(const TPNGObject& png);
    void AssignGIF(const TGIFImage* gif);
    void AssignIcon(const TIcon& icon);
    void AssignMetafile(const TMetafile& metafile);
    void AssignClipboard(const TClipboard& clipboard);

    void LoadShellIcon(const std::string& fileName);
    void LoadBMPFile(const std::string& fileName, const std::string& extension);
    void LoadMetafileFile(const std::string& fileName, const std::string& extension);
    void LoadPNGFile(const std::string& fileName);
    void LoadGIFFile(const std::string& fileName);
    void LoadVideoFile(const std::string& fileName);
    void LoadOtherFile(const std::string& fileName, const std::string& extension);

    void EncodePNG();
    // A metafile this platform cannot draw keeps its bytes through saving all the same.
    bool HoldsUndrawnMetafile() const;
    void LoadFromTempFile();
    TSLBitmap* Bitmap() const;

    std::unique_ptr<TGPImage> FImage;
    std::string FSourceBytes;
};

// Collects image descriptions for a side stream and reads them back from one. The side
// stream block: BlockSize (int64, the whole block, this field included), then records of a
// 170-byte header (GUID text length byte, 161 bytes of GUID text, DataSize int64 at byte
// 162) followed by DataSize bytes of the picture. All integers little-endian.
class TSLImageExGather {
public:
    static constexpr int RecordHeaderSize = 170;
    static constexpr int GuidTextSize = 161;
    static constexpr int DataSizeOffset = 162;

    TSLImageExGather();
    ~TSLImageExGather();
    TSLImageExGather(const TSLImageExGather&) = delete;
    TSLImageExGather& operator=(const TSLImageExGather&) = delete;

    // Off: pictures are saved in their own XML elements, which is how this program works.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    // The stream holding the gathered block and where the block begins; not owned.
    void SetSideStream(std::istream* stream, std::int64_t baseOffset) {
        FSideStream = stream;
        FBaseOffset = baseOffset;
    }

    // Adds the description once; it stays its owner's, and its change notification keeps
    // going where it went.
    void AddImage(TSLImageEx* image);
    int ImageCount() const;
    TSLImageEx* GetImage(int index) const;
    // Loads the description from its record in the side stream (matched by GUID, letter
    // case counting); unchanged when there is no record or no stream.
    void ReadImage(TSLImageEx& image);

private:
    std::unique_ptr<TXmlObjectList> FImageList;
    std::int64_t FBaseOffset = 0;
    bool FEnabled = false;
    std::istream* FSideStream = nullptr;
};
