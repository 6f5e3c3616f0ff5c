// WinGdiObjects: one uncopyable owner per kind of device context and GDI handle, each knowing
// its own release call, a scoped selector and a scoped clip. Every owner releases what it holds
// on every path; a selector puts the previous object back when its scope ends, so declare the
// selector after the object it selects (it is destroyed first) and nothing is deleted while
// selected.
#pragma once

#include <windows.h>

#include <atomic>

namespace WinLayer {

// Number of GDI objects and memory contexts that the owners below hold at this moment, for
// leak checks where the platform cannot count a process's GDI objects.
inline std::atomic<long>& LiveGdiObjects() {
    static std::atomic<long> count{0};
    return count;
}

// A borrowed device context of a window (the screen's for a null window): GetDC / ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT: BeginPaint / EndPaint. EndPaint runs even when the
// context is null, so the paint request is validated in every case.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Owner of one pen, brush or bitmap: DeleteObject. Null when its creation failed.
template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle_(handle) {
        if (handle_) ++LiveGdiObjects();
    }
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_ && DeleteObject(handle_)) --LiveGdiObjects();
        handle_ = handle;
        if (handle_) ++LiveGdiObjects();
    }

private:
    Handle handle_;
};

using OwnedPen = GdiObject<HPEN>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedBitmap = GdiObject<HBITMAP>;

// Selects an object into a context for one scope and puts the previous one back. Nothing is
// selected when the context or the object is null.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Restricts drawing to a rectangle for one scope; the context's clip region is put back at its
// end. The context must outlive the scope.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT& rect) : dc_(dc), saved_(SaveDC(dc)) {
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    ~ClipScope() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace WinLayer
