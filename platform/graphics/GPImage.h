#pragma once
// Raster images for drawing. TGPImage is any picture read from a file or a stream;
// TGPBitmap adds pixel access: it locks a rectangle of its pixels as rows of 32-bit ARGB
// (or another pixel format) that the caller reads and writes in place, and takes the
// changes when it is unlocked. A locked 32-bit ARGB pixel is 4 bytes in memory order
// blue, green, red, alpha, not premultiplied.

#include "platform/graphics/GPTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Outcome of an image operation; Ok means the object is usable.
enum class TGPStatus : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    WrongState = 8,
    FileNotFound = 10,
    UnknownImageFormat = 13,
};

// Pixel formats, numbered as the saved and exchanged bitmap formats number them.
using TPixelFormat = std::int32_t;
constexpr TPixelFormat PixelFormatUndefined = 0;
constexpr TPixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr TPixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr TPixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr TPixelFormat PixelFormat32bppPARGB = 0x000E200B;

// What a lock is for (combine with |).
enum TImageLockMode : std::uint32_t {
    ImageLockModeRead = 1,
    ImageLockModeWrite = 2,
};

// A locked rectangle of pixels: Width x Height pixels, rows Stride bytes apart from
// Scan0 on, in PixelFormat.
struct TGPBitmapData {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::int32_t Stride = 0;
    TPixelFormat PixelFormat = PixelFormatUndefined;
    void* Scan0 = nullptr;
    std::uintptr_t Reserved = 0;
};

class TGPImage {
public:
    struct TImpl; // defined in platform/graphics/GPQtDrawAccess.h

    // An image without pixels (width and height 0); its status is Ok.
    TGPImage();
    // Reads a picture file; on failure the image is empty and the status says why.
    explicit TGPImage(const std::string& fileName);
    virtual ~TGPImage();
    TGPImage(const TGPImage&) = delete;
    TGPImage& operator=(const TGPImage&) = delete;

    static std::unique_ptr<TGPImage> FromFile(const std::string& fileName);

    // A copy with its own pixels.
    virtual std::unique_ptr<TGPImage> Clone() const;

    std::uint32_t GetWidth() const;
    std::uint32_t GetHeight() const;
    TPixelFormat GetPixelFormat() const;
    // Whether the last operation that reports a status succeeded.
    TGPStatus GetLastStatus() const { return FLastStatus; }

    TImpl& Native() { return *FImpl; }
    const TImpl& Native() const { return *FImpl; }

protected:
    void ReadFile(const std::string& fileName);
    TGPStatus SetStatus(TGPStatus status) { return FLastStatus = status; }

    std::unique_ptr<TImpl> FImpl;
    TGPStatus FLastStatus = TGPStatus::Ok;
};

class TGPBitmap : public TGPImage {
public:
    // A bitmap without pixels.
    TGPBitmap() = default;
    // width x height pixels, all 0 (transparent black in the ARGB formats). A format
    // this layer does not know, or a negative size, gives an empty bitmap with the status
    // InvalidParameter.
    TGPBitmap(std::int32_t width, std::int32_t height, TPixelFormat format = PixelFormat32bppARGB);
    explicit TGPBitmap(const std::string& fileName);

    std::unique_ptr<TGPImage> Clone() const override;

    // Locks rect (which must lie within the bitmap) in format. When format is the
    // bitmap's own, the rows are the bitmap's memory; otherwise they are a converted copy
    // that UnlockBits writes back if the lock was made for writing. Only one lock at a
    // time: a second one fails with WrongState.
    TGPStatus LockBits(const TGPRect& rect, std::uint32_t flags, TPixelFormat format,
                       TGPBitmapData& lockedData);
    TGPStatus UnlockBits(TGPBitmapData& lockedData);

    // Address of row y of a locked rectangle.
    static std::uint8_t* ScanLine(const TGPBitmapData& lockedData, std::uint32_t y) {
        return static_cast<std::uint8_t*>(lockedData.Scan0) +
               static_cast<std::ptrdiff_t>(y) * lockedData.Stride;
    }

private:
    struct TLock;
    std::shared_ptr<TLock> FLock;
};
