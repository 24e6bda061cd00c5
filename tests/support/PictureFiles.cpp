#include "support/PictureFiles.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace {
void Put16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, int(value & 0xFFFF));
    Put16(out, int(value >> 16));
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    Put32(png, 0); // the length, big-endian below
    const std::uint32_t length = std::uint32_t(data.size());
    for (int i = 0; i < 4; ++i)
        png[png.size() - 4 + std::size_t(i)] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
    const std::string body = type + data;
    png += body;
    const auto crc =
        std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    for (int i = 0; i < 4; ++i)
        png += static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
}

// The records of a metafile as they are written: each its size in 16-bit words, its
// function and its parameters.
struct TWmfRecords {
    std::string Bytes;
    std::uint32_t LargestWords = 0;

    void Add(int function, const std::vector<int>& words) {
        const auto size = std::uint32_t(3 + words.size());
        LargestWords = std::max(LargestWords, size);
        Put32(Bytes, size);
        Put16(Bytes, function);
        for (int word : words)
            Put16(Bytes, word);
    }
};

// Two characters a word, the last padded with a NUL.
std::vector<int> TextWords(const std::string& text) {
    std::vector<int> words;
    for (std::size_t i = 0; i < text.size(); i += 2)
        words.push_back(static_cast<unsigned char>(text[i]) |
                        (i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) << 8 : 0));
    return words;
}

// The records behind a placeable header whose bounding box is (0, 0, right, bottom), and
// the metafile header, which counts objects objects.
std::string PlaceableWmf(TWmfRecords records, int objects, int right, int bottom,
                         int unitsPerInch) {
    records.Add(0x0000, {}); // end of file
    std::string header;
    Put16(header, 1);
    Put16(header, 9);
    Put16(header, 0x0300);
    Put32(header, std::uint32_t((18 + records.Bytes.size()) / 2));
    Put16(header, objects);
    Put32(header, records.LargestWords);
    Put16(header, 0);
    std::string placeable;
    Put32(placeable, 0x9AC6CDD7);
    for (int word : {0, 0, 0, right, bottom, unitsPerInch})
        Put16(placeable, word);
    Put32(placeable, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < placeable.size(); i += 2)
        checksum ^= std::uint16_t(static_cast<unsigned char>(placeable[i]) |
                                  static_cast<unsigned char>(placeable[i + 1]) << 8);
    Put16(placeable, checksum);
    return placeable + header + records.Bytes;
}
} // namespace

std::string RedRectangleWmf(int right, int bottom, int unitsPerInch) {
    return RectanglesWmf(1, 0, right, bottom, unitsPerInch);
}

std::string RectanglesWmf(int rectangles, int penWidth, int right, int bottom, int unitsPerInch) {
    TWmfRecords records;
    records.Add(0x020B, {0, 0});            // window origin y, x
    records.Add(0x020C, {40, 80});          // window extent y, x
    records.Add(0x02FC, {0, 0x00FF, 0, 0}); // solid brush, colour 0x000000FF (red)
    records.Add(0x012D, {0});               // select it
    if (penWidth == 0)
        records.Add(0x02FA, {5, 0, 0, 0, 0}); // pen of style "null"
    else
        records.Add(0x02FA, {0, penWidth, 0, 0, 0}); // solid black pen
    records.Add(0x012D, {1});                        // select it
    for (int i = 0; i < rectangles; ++i)
        records.Add(0x041B, {40, 80, 0, 0}); // rectangle bottom, right, top, left
    return PlaceableWmf(records, 2, right, bottom, unitsPerInch);
}

std::string DrawingWmf() {
    TWmfRecords records;
    records.Add(0x020B, {0, 0});                 // window origin y, x
    records.Add(0x020C, {200, 400});             // window extent y, x
    records.Add(0x02FC, {0, 0xFFFF, 0x00FF, 0}); // 0: solid white brush
    records.Add(0x012D, {0});
    records.Add(0x02FA, {0, 3, 0, 0, 0}); // 1: solid black pen, 3 units
    records.Add(0x012D, {1});
    records.Add(0x041B, {200, 400, 0, 0});  // the white sheet, outlined
    records.Add(0x02FC, {0, 0x00FF, 0, 0}); // 2: solid red brush
    records.Add(0x012D, {2});
    records.Add(0x0418, {120, 120, 20, 20}); // ellipse bottom, right, top, left
    records.Add(0x02FC, {0, 0, 0x00FF, 0});  // 3: solid blue brush
    records.Add(0x012D, {3});
    records.Add(0x0324, {3, 150, 180, 250, 180, 200, 80});       // triangle: count, x, y ...
    records.Add(0x0214, {20, 260});                              // move to y, x
    records.Add(0x0213, {20, 380});                              // line to y, x
    records.Add(0x0325, {3, 260, 40, 320, 80, 380, 40});         // polyline
    records.Add(0x0817, {60, 380, 60, 260, 100, 380, 0, 260});   // arc: end, start, box
    records.Add(0x081A, {150, 20, 150, 120, 190, 120, 130, 20}); // pie: end, start, box
    std::vector<int> font{-20, 0, 0, 0, 400, 0, 0, 0, 0};        // 20 units high, normal weight
    const std::vector<int> face = TextWords("Arial");
    font.insert(font.end(), face.begin(), face.end());
    records.Add(0x02FB, font); // 4: the font
    records.Add(0x012D, {4});
    std::vector<int> text{6};
    const std::vector<int> letters = TextWords("Tarsel");
    text.insert(text.end(), letters.begin(), letters.end());
    text.insert(text.end(), {150, 260}); // y, x
    records.Add(0x0521, text);
    return PlaceableWmf(records, 5, 400, 200, 96);
}

std::string GifClaiming(int screenWidth, int screenHeight,
                        std::vector<std::pair<int, int>> frames) {
    std::string gif = "GIF89a";
    Put16(gif, screenWidth);
    Put16(gif, screenHeight);
    gif += std::string("\x80\x00\x00"
                       "\x00\x00\x00\xFF\xFF\xFF",
                       9); // two colours
    for (const auto& [width, height] : frames) {
        gif += '\x2C';
        Put16(gif, 0);
        Put16(gif, 0);
        Put16(gif, width);
        Put16(gif, height);
        gif += std::string("\x00\x02\x02\x4C\x01\x00", 6);
    }
    return gif + ";";
}

std::string TruncatedPngClaiming(std::uint32_t width, std::uint32_t height) {
    std::string header;
    for (const std::uint32_t value : {width, height})
        for (int i = 0; i < 4; ++i)
            header += static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    return png + std::string("\x00\x00\x10\x00IDAT\x78\x9c\xed\xc1\x01\x0d", 14);
}

std::string BmpClaiming(int width, int height) {
    std::string bmp = "BM";
    Put32(bmp, 54);
    Put32(bmp, 0);
    Put32(bmp, 54);
    Put32(bmp, 40);
    Put32(bmp, std::uint32_t(width));
    Put32(bmp, std::uint32_t(height));
    Put16(bmp, 1);
    Put16(bmp, 24);
    for (int i = 0; i < 6; ++i)
        Put32(bmp, 0);
    return bmp;
}

std::string WmfClaimingLargestRecord(std::uint32_t largestRecordWords) {
    constexpr std::size_t kLargestRecordAt = 22 + 12; // behind the placeable header
    std::string bytes = RedRectangleWmf();
    std::string size;
    Put32(size, largestRecordWords);
    return bytes.replace(kLargestRecordAt, 4, size);
}

std::string SmallGif() {
    // One pixel, two colours, the pixel transparent.
    return std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
                       "!\xF9\x04\x01\x00\x00\x00\x00"
                       ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                       43);
}

std::string SmallPng() {
    const std::string row("\x00\xFF\x00\x00", 4); // no filter, one red pixel
    uLongf packedSize = compressBound(uLong(row.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
             reinterpret_cast<const Bytef*>(row.data()), uLong(row.size()));
    packed.resize(packedSize);
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", std::string("\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00", 13));
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}
