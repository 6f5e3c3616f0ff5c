// Pixel helpers for drawing tests: a memory canvas whose pixels can be read back, and a PNG
// writer for the pictures a person looks at under the build folder.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace WinLayerTest {

// A top-down 32-bit DIB selected into a memory context.
class PixelCanvas {
public:
    PixelCanvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~PixelCanvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Get() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsValid() const { return dc_ && bitmap_ && bits_; }

    void Fill(COLORREF colour) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = ToPixel(colour);
    }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Copies a rectangle of another context into this canvas at (x, y).
    void CopyFrom(HDC source, int x, int y, int width, int height) {
        BitBlt(dc_, x, y, width, height, source, 0, 0, SRCCOPY);
    }

    // Writes the canvas as an 8-bit RGB PNG (stored, not compressed); false on failure.
    bool WritePng(const std::string& path) const;

private:
    static uint32_t ToPixel(COLORREF c) {
        return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }

    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

namespace PngDetail {

inline uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFF) {
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc;
}

inline void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc(typed.data(), typed.size()) ^ 0xFFFFFFFF);
}

// A zlib stream of stored blocks.
inline std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t count = std::min<size_t>(raw.size() - pos, 65535);
        bool last = pos + count == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(count));
        out.push_back(static_cast<uint8_t>(count >> 8));
        out.push_back(static_cast<uint8_t>(~count));
        out.push_back(static_cast<uint8_t>(~count >> 8));
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + count);
        pos += count;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace PngDetail

inline bool PixelCanvas::WritePng(const std::string& path) const {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height_; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width_; ++x) {
            COLORREF c = Pixel(x, y);
            raw.insert(raw.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    }
    std::vector<uint8_t> header;
    PngDetail::PutBigEndian(header, static_cast<uint32_t>(width_));
    PngDetail::PutBigEndian(header, static_cast<uint32_t>(height_));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngDetail::PutChunk(file, "IHDR", header);
    PngDetail::PutChunk(file, "IDAT", PngDetail::Stored(raw));
    PngDetail::PutChunk(file, "IEND", {});
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

// The folder under the build tree where tests leave their pictures (made when missing).
inline std::string ScreenFolder() {
    std::string folder = std::string("Z:") + KAIRODEX_SCREEN_FOLDER;
    for (size_t pos = 3; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') CreateDirectoryA(folder.substr(0, pos).c_str(), nullptr);
    }
    return folder;
}

}  // namespace WinLayerTest
