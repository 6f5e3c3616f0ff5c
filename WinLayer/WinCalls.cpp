#include "WinLayer/WinCalls.h"

#include <algorithm>
#include <climits>

#include "RawLayer/RawCallText.h"
#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawDroppedFiles.h"
#include "WinLayer/WinDialog.h"

namespace WinLayer {

using RawLayer::NarrowText;
using RawLayer::RawString;
using RawLayer::StringEncoding;
using RawLayer::UsesNarrowCall;
using RawLayer::WideText;

namespace {

constexpr int kTabLength = 4;

struct ClippedRange {
    int32_t first;
    int32_t end;
    int32_t Count() const { return end - first; }
};

ClippedRange Clip(const RawString& text, int32_t first, int32_t end) {
    first = std::clamp(first, 0, text.Length());
    end = std::clamp(end, first, text.Length());
    return {first, end};
}

template <class WndClass, class Char>
WndClass ClassRecord(HINSTANCE instance, HICON icon, HCURSOR cursor, const Char* menuName, const Char* className,
                     HICON smallIcon, WNDPROC procedure) {
    WndClass record = {};
    record.cbSize = sizeof(record);
    record.style = CS_HREDRAW | CS_VREDRAW;
    record.lpfnWndProc = procedure ? procedure : &WinDialog::WindowProcedure;
    record.hInstance = instance;
    record.hIcon = icon;
    record.hCursor = cursor;
    record.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    record.lpszMenuName = menuName;
    record.lpszClassName = className;
    record.hIconSm = smallIcon;
    return record;
}

WinTextExtent NarrowExtent(HDC dc, const char* bytes, int32_t count) {
    WinTextExtent result;
    result.extents.resize(count);
    INT fit = 0;
    result.ok = GetTextExtentExPointA(dc, bytes, count, INT_MAX, &fit, count ? result.extents.data() : nullptr,
                                      &result.size) != FALSE;
    result.fitCount = fit;
    return result;
}

WinTextExtent WideExtent(HDC dc, const wchar_t* units, int32_t count) {
    WinTextExtent result;
    result.extents.resize(count);
    INT fit = 0;
    result.ok = GetTextExtentExPointW(dc, units, count, INT_MAX, &fit, count ? result.extents.data() : nullptr,
                                      &result.size) != FALSE;
    result.fitCount = fit;
    return result;
}

// Byte streams whose characters are a fixed number of bytes per UTF-16 unit (Utf16BE/LE: 2).
// Utf7 has no such width: its bytes get the extents of the units in order, which is only near.
int32_t MapExtentsByWidth(int32_t bytesPerUnit, int32_t byteCount, int32_t wideCount, const int* wideExtents,
                          int32_t wideFit, int* byteExtents) {
    for (int32_t i = 0; i < byteCount; ++i) {
        int32_t unit = std::min(i / bytesPerUnit, wideCount - 1);
        byteExtents[i] = unit >= 0 ? wideExtents[unit] : 0;
    }
    return wideFit >= wideCount ? byteCount : std::min(wideFit * bytesPerUnit, byteCount);
}

WinTextExtent ConvertedExtent(HDC dc, const RawString& text, ClippedRange range) {
    RawString wide = RawString::FromRange(text, range.first, range.end, RawLayer::Wide);
    WideText units(wide);
    WinTextExtent measured = WideExtent(dc, units.Get(), units.Length());
    WinTextExtent result;
    result.ok = measured.ok;
    result.size = measured.size;
    result.extents.assign(range.Count(), 0);
    if (!measured.ok || range.Count() == 0) return result;
    const int* extents = measured.extents.data();
    if (text.Encoding() == RawLayer::Utf8) {
        const uint8_t* bytes = static_cast<const uint8_t*>(text.Buffer()) + range.first;
        result.fitCount = MapExtentsToUtf8(bytes, range.Count(), units.Get(), units.Length(), extents,
                                           measured.fitCount, result.extents.data());
    } else {
        bool utf16 = text.Encoding() == RawLayer::Utf16BE || text.Encoding() == RawLayer::Utf16LE;
        result.fitCount = MapExtentsByWidth(utf16 ? 2 : 1, range.Count(), units.Length(), extents, measured.fitCount,
                                            result.extents.data());
    }
    return result;
}

DRAWTEXTPARAMS DrawParameters() {
    DRAWTEXTPARAMS parameters = {};
    parameters.cbSize = sizeof(parameters);
    parameters.iTabLength = kTabLength;
    return parameters;
}

}  // namespace

HWND CreateViewWindow(DWORD exStyle, const RawString& className, const RawString& windowName, DWORD style, int x,
                      int y, int width, int height, HWND parent, HMENU menuOrIdentifier, HINSTANCE instance,
                      void* creationParameter) {
    if (UsesNarrowCall(RawLayer::NativeCallForm(className, windowName))) {
        return CreateWindowExA(exStyle, NarrowText(className), NarrowText(windowName), style, x, y, width, height,
                               parent, menuOrIdentifier, instance, creationParameter);
    }
    WideText wideClass(className);
    WideText wideName(windowName);
    return CreateWindowExW(exStyle, wideClass.Get(), wideName.Get(), style, x, y, width, height, parent,
                           menuOrIdentifier, instance, creationParameter);
}

ATOM RegisterViewClass(HINSTANCE instance, HICON icon, HCURSOR cursor, const RawString& menuName,
                       const RawString& className, HICON smallIcon, WNDPROC procedure) {
    if (UsesNarrowCall(RawLayer::NativeCallForm(menuName, className))) {
        const char* menu = menuName.IsEmpty() ? nullptr : menuName.Bytes();
        WNDCLASSEXA record = ClassRecord<WNDCLASSEXA>(instance, icon, cursor, menu, NarrowText(className),
                                                      smallIcon, procedure);
        return RegisterClassExA(&record);
    }
    WideText wideMenu(menuName);
    WideText wideClass(className);
    const wchar_t* menu = menuName.IsEmpty() ? nullptr : wideMenu.Get();
    WNDCLASSEXW record =
        ClassRecord<WNDCLASSEXW>(instance, icon, cursor, menu, wideClass.Get(), smallIcon, procedure);
    return RegisterClassExW(&record);
}

bool SetViewWindowText(HWND window, const RawString& text) {
    if (UsesNarrowCall(text.NativeCallForm())) return SetWindowTextA(window, NarrowText(text)) != FALSE;
    WideText wide(text);
    return SetWindowTextW(window, wide.Get()) != FALSE;
}

bool InsertMenuText(HMENU menu, UINT position, UINT flags, UINT_PTR identifier, const RawString& text) {
    if (UsesNarrowCall(text.NativeCallForm())) {
        return InsertMenuA(menu, position, flags, identifier, NarrowText(text)) != FALSE;
    }
    WideText wide(text);
    return InsertMenuW(menu, position, flags, identifier, wide.Get()) != FALSE;
}

UINT DroppedFileCount(HDROP drop) { return RawLayer::DroppedFileCount(drop); }

RawString DroppedFileName(HDROP drop, UINT index, StringEncoding encoding) {
    return RawLayer::DroppedFileName(drop, index, encoding);
}

WinTextExtent TextExtentWithFit(HDC dc, const RawString& text, int32_t first, int32_t end) {
    ClippedRange range = Clip(text, first, end);
    RawLayer::NativeForm form = text.NativeCallForm();
    if (UsesNarrowCall(form)) return NarrowExtent(dc, NarrowText(text) + range.first, range.Count());
    if (form == RawLayer::WideDirect) return WideExtent(dc, text.WideUnits() + range.first, range.Count());
    return ConvertedExtent(dc, text, range);
}

int32_t MapExtentsToUtf8(const uint8_t* bytes, int32_t byteCount, const wchar_t* wide, int32_t wideCount,
                         const int* wideExtents, int32_t wideFit, int* byteExtents) {
    int32_t fit = 0;
    int32_t unit = 0;
    int extent = 0;
    for (int32_t i = 0; i < byteCount;) {
        int32_t length = std::min(RawLayer::Utf8Trail(bytes[i]) + 1, byteCount - i);
        int32_t units = unit + 1 < wideCount && RawLayer::IsHighSurrogate(wide[unit]) ? 2 : 1;
        // Malformed input may leave fewer units than characters: keep the last extent.
        if (unit < wideCount) extent = wideExtents[unit + units - 1];
        if (unit + units <= wideFit) fit = i + length;
        std::fill(byteExtents + i, byteExtents + i + length, extent);
        unit += units;
        i += length;
    }
    return wideFit >= wideCount ? byteCount : fit;
}

int DrawTextRange(HDC dc, const RawString& text, int32_t first, int32_t end, RECT& rect, UINT format) {
    ClippedRange range = Clip(text, first, end);
    format &= ~static_cast<UINT>(DT_MODIFYSTRING);
    DRAWTEXTPARAMS parameters = DrawParameters();
    if (UsesNarrowCall(text.NativeCallForm())) {
        char* bytes = const_cast<char*>(NarrowText(text)) + range.first;
        return DrawTextExA(dc, bytes, range.Count(), &rect, format, &parameters);
    }
    if (text.IsWide()) {
        wchar_t* units = const_cast<wchar_t*>(text.WideUnits()) + range.first;
        return DrawTextExW(dc, units, range.Count(), &rect, format, &parameters);
    }
    WideText wide(RawString::FromRange(text, range.first, range.end, RawLayer::Wide));
    return DrawTextExW(dc, const_cast<wchar_t*>(wide.Get()), wide.Length(), &rect, format, &parameters);
}

int MeasureTextRange(HDC dc, const RawString& text, int32_t first, int32_t end, RECT& rect, UINT format) {
    ClippedRange range = Clip(text, first, end);
    if (range.Count() > 0) return DrawTextRange(dc, text, range.first, range.end, rect, format | DT_CALCRECT);
    static const RawString kLetter("A");
    int height = DrawTextRange(dc, kLetter, 0, 1, rect, format | DT_CALCRECT);
    rect.right = rect.left;
    return height;
}

}  // namespace WinLayer
