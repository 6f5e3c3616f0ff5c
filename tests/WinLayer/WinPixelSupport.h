// Pixel helpers for drawing tests: a memory canvas whose pixels can be read back, drawing a
// control as its dialog asks it to, and PNG pictures under the build folder for a person to
// look at.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "WinLayer/WinView.h"

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

    void Fill(COLORREF c) {
        GdiFlush();
        std::fill(bits_, bits_ + width_ * height_, (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
    // Copies a width x height block of source, from its origin, to (x, y).
    void CopyFrom(HDC source, int x, int y, int width, int height) {
        BitBlt(dc_, x, y, width, height, source, 0, 0, SRCCOPY);
    }
    // Writes the canvas as an 8-bit RGB PNG; false on failure.
    bool WritePng(const std::string& path) const;
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Whether any pixel of the area has the colour (equal), or any has another colour (!equal).
inline bool AnyPixel(const PixelCanvas& canvas, RECT area, COLORREF colour, bool equal = true) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if ((canvas.Pixel(x, y) == colour) == equal) return true;
        }
    }
    return false;
}

// Draws a control as its dialog would ask it to: WM_DRAWITEM to its handler, the item
// rectangle the whole canvas.
inline void DrawInto(WinLayer::WinView& control, UINT itemState, PixelCanvas& canvas) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(control.Property().identifier);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = control.Window();
    item.hDC = canvas.Get();
    item.rcItem = {0, 0, canvas.Width(), canvas.Height()};
    control.HandleMessage(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

namespace Png {

inline void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutWord(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = start; i < out.size(); ++i) {
        crc ^= out[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    PutWord(out, ~crc);
}

// A zlib stream of stored (uncompressed) blocks.
inline std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t count = std::min<size_t>(raw.size() - pos, 65535);
        out.push_back(pos + count == raw.size() ? 1 : 0);
        out.insert(out.end(), {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                               static_cast<uint8_t>(~count), static_cast<uint8_t>(~count >> 8)});
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + count);
        pos += count;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutWord(out, (b << 16) | a);
    return out;
}

// Writes the canvas as an 8-bit RGB PNG; false on failure.
inline bool Write(const PixelCanvas& canvas, const std::string& path) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < canvas.Height(); ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < canvas.Width(); ++x) {
            const COLORREF c = canvas.Pixel(x, y);
            raw.insert(raw.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    }
    std::vector<uint8_t> header;
    PutWord(header, static_cast<uint32_t>(canvas.Width()));
    PutWord(header, static_cast<uint32_t>(canvas.Height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits per channel, RGB
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", Stored(raw));
    PutChunk(file, "IEND", {});
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace Png

inline bool PixelCanvas::WritePng(const std::string& path) const { return Png::Write(*this, path); }

// The pictures folder of the build tree, made when missing.
inline std::string ScreenFolder() {
    std::string folder = std::string("Z:") + KAIRODEX_SCREEN_FOLDER;
    for (size_t pos = 3; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') CreateDirectoryA(folder.substr(0, pos).c_str(), nullptr);
    }
    return folder;
}

// Writes the canvas as name.png into the pictures folder.
inline bool WritePicture(const PixelCanvas& canvas, const std::string& name) {
    return Png::Write(canvas, ScreenFolder() + "/" + name);
}

// Draws one variant into each cell of a grid and writes the grid as a picture.
template <class DrawCell>
bool WriteGrid(const std::string& name, int columns, int rows, SIZE cell, DrawCell drawCell) {
    constexpr int kGap = 4;
    PixelCanvas grid(columns * (cell.cx + kGap) + kGap, rows * (cell.cy + kGap) + kGap);
    grid.Fill(RGB(255, 255, 255));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            PixelCanvas canvas(cell.cx, cell.cy);
            drawCell(column, row, canvas);
            BitBlt(grid.Get(), kGap + column * (cell.cx + kGap), kGap + row * (cell.cy + kGap), cell.cx, cell.cy,
                   canvas.Get(), 0, 0, SRCCOPY);
        }
    }
    return WritePicture(grid, name);
}

}  // namespace WinLayerTest
