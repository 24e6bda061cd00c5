#include "platform/graphics/MetafileDecoder.h"

#include "platform/graphics/MetafileRenderBudget_wmf.h"
#include "platform/graphics/PictureLimits.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace {
constexpr unsigned kDotsPerInch = 96;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;
constexpr std::size_t kMetaHeaderSize = 18; // bytes, 9 words
constexpr std::uint16_t kMetaHeaderWords = 9;
constexpr std::size_t kMaxRecordSizeOffset = 12; // of the 32-bit largest-record size, in words
// What libwmf may allocate for one metafile through its memory manager (records, objects,
// bitmaps a record holds), on top of the picture itself.
constexpr std::size_t kMaxLibraryBytes = 64 * 1024 * 1024;

std::uint32_t Read16(const QByteArray& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[qsizetype(at)]) |
           (static_cast<unsigned char>(bytes[qsizetype(at + 1)]) << 8);
}

std::uint32_t Read32(const QByteArray& bytes, std::size_t at) {
    return Read16(bytes, at) | (Read16(bytes, at + 2) << 16);
}

// libwmf trusts the header: the size of the largest record is allocated as it stands
// (gigabytes from a 300-byte file). A record cannot be larger than the file, so a header
// that says so, or that is no metafile header at all, is refused before libwmf sees it.
bool HeaderIsSound(const QByteArray& bytes) {
    std::size_t header = 0;
    if (std::size_t(bytes.size()) >= kPlaceableHeaderSize && Read32(bytes, 0) == kPlaceableKey)
        header = kPlaceableHeaderSize;
    if (std::size_t(bytes.size()) < header + kMetaHeaderSize)
        return false;
    if (Read16(bytes, header + 2) != kMetaHeaderWords)
        return false;
    const std::uint64_t largestRecord =
        std::uint64_t(Read32(bytes, header + kMaxRecordSizeOffset)) * 2;
    return largestRecord <= std::uint64_t(bytes.size());
}

// libwmf's memory manager, kept within kMaxLibraryBytes: an allocation beyond it fails,
// which libwmf reports as an error of its own. Each block carries its size in front.
struct TAllocationBudget {
    std::size_t Left = kMaxLibraryBytes;
};

constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

std::size_t& BlockSize(void* block) {
    return *static_cast<std::size_t*>(block);
}

void* BudgetMalloc(void* context, std::size_t size) {
    auto* budget = static_cast<TAllocationBudget*>(context);
    if (size > budget->Left)
        return nullptr;
    void* block = std::malloc(kBlockHeader + size);
    if (block == nullptr)
        return nullptr;
    budget->Left -= size;
    BlockSize(block) = size;
    return static_cast<char*>(block) + kBlockHeader;
}

void BudgetFree(void* context, void* memory) {
    if (memory == nullptr)
        return;
    void* block = static_cast<char*>(memory) - kBlockHeader;
    static_cast<TAllocationBudget*>(context)->Left += BlockSize(block);
    std::free(block);
}

void* BudgetRealloc(void* context, void* memory, std::size_t size) {
    if (memory == nullptr)
        return BudgetMalloc(context, size);
    auto* budget = static_cast<TAllocationBudget*>(context);
    void* block = static_cast<char*>(memory) - kBlockHeader;
    const std::size_t old = BlockSize(block);
    if (size > old && size - old > budget->Left)
        return nullptr;
    void* grown = std::realloc(block, kBlockHeader + size);
    if (grown == nullptr)
        return nullptr;
    budget->Left = budget->Left + old - size;
    BlockSize(grown) = size;
    return static_cast<char*>(grown) + kBlockHeader;
}

// The picture arrives as PNG through this sink: libwmf then frees its own image, which it
// would otherwise hand over without any way to free it. No exception may unwind into
// libwmf, so running out of memory is reported as nothing written.
int AppendPng(void* context, char* data, int length) {
    try {
        static_cast<std::string*>(context)->append(data, std::size_t(length));
        return length;
    } catch (...) {
        return 0;
    }
}

struct TWmfSession {
    TAllocationBudget Budget;
    wmfAPI* API = nullptr;
    bool Open = false;
    ~TWmfSession() {
        if (Open)
            wmf_mem_close(API);
        if (API != nullptr)
            wmf_api_destroy(API);
    }
};
} // namespace

QImage DecodeWindowsMetafile(const QByteArray& bytes) {
    if (!HeaderIsSound(bytes))
        return QImage();
    TWmfSession session;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    options.context = &session.Budget;
    options.malloc = BudgetMalloc;
    options.realloc = BudgetRealloc;
    options.free = BudgetFree;
    if (wmf_api_create(&session.API,
                       WMF_OPT_FUNCTION | WMF_OPT_ALLOC | WMF_OPT_IGNORE_NONFATAL |
                           WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG,
                       &options) != wmf_E_None)
        return QImage();
    // libwmf reads but does not change the bytes.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData()));
    if (wmf_mem_open(session.API, data, static_cast<long>(bytes.size())) != wmf_E_None)
        return QImage();
    session.Open = true;
    wmfD_Rect bounds{};
    if (wmf_scan(session.API, 0, &bounds) != wmf_E_None)
        return QImage();
    unsigned width = 0;
    unsigned height = 0;
    // The picture's size comes from the placeable header's bounding box (or the drawing's
    // extent): checked before libwmf allocates its image.
    if (wmf_display_size(session.API, &width, &height, kDotsPerInch, kDotsPerInch) != wmf_E_None ||
        !platform::PictureSizeAllowed(width, height))
        return QImage();
    std::string png;
    wmf_gd_t* device = WMF_GD_GetData(session.API);
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = AppendPng;
    device->bbox = bounds;
    device->width = width;
    device->height = height;
    // A picture too large for the renderer's budget is never created; drawing calls that
    // would keep the renderer busy beyond what is left are refused: the play then stops and
    // the metafile decodes as nothing.
    const platform::TMetafileRenderBudget budget(session.API, bounds, width, height);
    if (budget.Exceeded())
        return QImage();
    if (wmf_play(session.API, 0, &bounds) != wmf_E_None || budget.Exceeded() || png.empty())
        return QImage();
    // Read back within the program's picture limits, not Qt's smaller default allocation
    // limit, which would refuse the larger pictures they allow after they were drawn.
    QByteArray encoded = QByteArray::fromRawData(png.data(), qsizetype(png.size()));
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "PNG");
    QImage image = platform::ReadPictureWithinLimits(reader);
    // Converted in place where Qt can (an opaque picture): no second copy of a large picture.
    return image.isNull() ? QImage() : std::move(image).convertToFormat(QImage::Format_ARGB32);
}
