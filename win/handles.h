#pragma once
// Owners of the GDI, USER, registry and memory handles the project uses.

#include "win/unique.h"

#include <windows.h>

namespace cutshape::win {

// Handles whose invalid value is null, released by one call.
template <class H, auto Close>
struct NullHandleTraits {
    using Handle = H;
    static H invalid() noexcept { return nullptr; }
    static void close(H handle) noexcept { Close(handle); }
};

inline void deleteGdiObject(HGDIOBJ object) noexcept {
    ::DeleteObject(object);
}
// DeleteObject, and the end of the region for a GdiWatch that counts it.
void deleteRegion(HRGN region) noexcept;
inline void deleteDc(HDC dc) noexcept {
    ::DeleteDC(dc);
}
inline void closeRegistryKey(HKEY key) noexcept {
    ::RegCloseKey(key);
}
inline void freeGlobal(HGLOBAL memory) noexcept {
    ::GlobalFree(memory);
}
inline void closeHandle(HANDLE handle) noexcept {
    ::CloseHandle(handle);
}
inline void destroyWindow(HWND window) noexcept {
    ::DestroyWindow(window);
}
inline void destroyIcon(HICON icon) noexcept {
    ::DestroyIcon(icon);
}

using UniqueRegion = Unique<NullHandleTraits<HRGN, deleteRegion>>;
using UniqueBitmap = Unique<NullHandleTraits<HBITMAP, deleteGdiObject>>;
using UniqueBrush = Unique<NullHandleTraits<HBRUSH, deleteGdiObject>>;
using UniqueMemoryDc = Unique<NullHandleTraits<HDC, deleteDc>>; // from CreateCompatibleDC
using UniqueRegistryKey = Unique<NullHandleTraits<HKEY, closeRegistryKey>>;
using UniqueGlobal = Unique<NullHandleTraits<HGLOBAL, freeGlobal>>;
using UniqueWindow = Unique<NullHandleTraits<HWND, destroyWindow>>;
using UniqueFont = Unique<NullHandleTraits<HFONT, deleteGdiObject>>;
using UniqueIcon = Unique<NullHandleTraits<HICON, destroyIcon>>;    // not for LR_SHARED icons
using UniqueHandle = Unique<NullHandleTraits<HANDLE, closeHandle>>; // processes, threads

struct FileHandleTraits {
    using Handle = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};
using UniqueFile = Unique<FileHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { ::FindClose(handle); }
};
using UniqueFind = Unique<FindHandleTraits>; // from FindFirstFile

// A device context from GetDC, given back with ReleaseDC to the window it came from.
class UniqueWindowDc {
public:
    UniqueWindowDc() noexcept = default;
    UniqueWindowDc(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
    UniqueWindowDc(UniqueWindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    UniqueWindowDc& operator=(UniqueWindowDc&& other) noexcept {
        reset();
        window_ = other.window_;
        dc_ = std::exchange(other.dc_, nullptr);
        return *this;
    }
    ~UniqueWindowDc() { reset(); }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept {
        if (dc_)
            ::ReleaseDC(window_, std::exchange(dc_, nullptr));
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// The device context of a WM_PAINT, from BeginPaint, given back with EndPaint: every path
// out of a paint handler ends the painting.
class UniquePaintDc {
public:
    explicit UniquePaintDc(HWND window) noexcept
        : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    UniquePaintDc(const UniquePaintDc&) = delete;
    UniquePaintDc& operator=(const UniquePaintDc&) = delete;
    ~UniquePaintDc() { ::EndPaint(window_, &paint_); }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a device context and selects the previous one back on exit.
class UniqueSelection {
public:
    UniqueSelection(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(::SelectObject(dc, object)) {}
    UniqueSelection(const UniqueSelection&) = delete;
    UniqueSelection& operator=(const UniqueSelection&) = delete;
    ~UniqueSelection() {
        if (previous_ && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace cutshape::win
