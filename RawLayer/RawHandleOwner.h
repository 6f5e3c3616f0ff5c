// RawHandleOwner: one uncopyable, movable owner per kind of kernel handle, each closing with its
// own call: KernelHandle (CloseHandle; null and INVALID_HANDLE_VALUE both mean none) for process
// and other plain handles, FindHandle (FindClose) for a directory search. Files have FileHandle
// (RawFile.h), which adds reading and writing.
#pragma once

#include <windows.h>

#include <utility>

namespace RawLayer {

template <class Kind>
class RawHandleOwner {
public:
    RawHandleOwner() = default;
    explicit RawHandleOwner(HANDLE handle) : handle_(handle) {}
    ~RawHandleOwner() { Reset(); }
    RawHandleOwner(const RawHandleOwner&) = delete;
    RawHandleOwner& operator=(const RawHandleOwner&) = delete;
    RawHandleOwner(RawHandleOwner&& other) noexcept : handle_(other.Release()) {}
    RawHandleOwner& operator=(RawHandleOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool IsValid() const { return Kind::IsValid(handle_); }
    HANDLE Get() const { return handle_; }
    // Closes what is held, then holds handle.
    void Reset(HANDLE handle = nullptr) {
        if (IsValid()) Kind::Close(handle_);
        handle_ = handle;
    }
    // Gives the handle up without closing it.
    HANDLE Release() { return std::exchange(handle_, nullptr); }

private:
    HANDLE handle_ = nullptr;
};

struct KernelHandleKind {
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct FindHandleKind {
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};

using KernelHandle = RawHandleOwner<KernelHandleKind>;
using FindHandle = RawHandleOwner<FindHandleKind>;

}  // namespace RawLayer
