#include "support/PictureFiles.h"

#include <zlib.h>

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
} // namespace

std::string RedRectangleWmf(int right, int bottom, int unitsPerInch) {
    return RectanglesWmf(1, 0, right, bottom, unitsPerInch);
}

std::string RectanglesWmf(int rectangles, int penWidth, int right, int bottom, int unitsPerInch) {
    std::string records;
    const auto record = [&](int function, std::vector<int> words) {
        Put32(records, std::uint32_t(3 + words.size()));
        Put16(records, function);
        for (int word : words)
            Put16(records, word);
    };
    record(0x020B, {0, 0});            // window origin y, x
    record(0x020C, {40, 80});          // window extent y, x
    record(0x02FC, {0, 0x00FF, 0, 0}); // solid brush, colour 0x000000FF (red)
    record(0x012D, {0});               // select it
    if (penWidth == 0)
        record(0x02FA, {5, 0, 0, 0, 0}); // pen of style "null"
    else
        record(0x02FA, {0, penWidth, 0, 0, 0}); // solid black pen
    record(0x012D, {1});                        // select it
    for (int i = 0; i < rectangles; ++i)
        record(0x041B, {40, 80, 0, 0}); // rectangle bottom, right, top, left
    record(0x0000, {});                 // end of file
    std::string header;
    Put16(header, 1);
    Put16(header, 9);
    Put16(header, 0x0300);
    Put32(header, std::uint32_t((18 + records.size()) / 2));
    Put16(header, 2);
    Put32(header, 8);
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
    return placeable + header + records;
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
