// RAII owners for the Win32 and COM objects the program holds.
#pragma once

#include "platform/win.h"
#include <unknwn.h>

#include <utility>

namespace platform {

// Owns one handle-like value; Traits::Close releases it, Traits::Invalid() is the empty value.
template <typename Traits> class Unique {
public:
    using Value = typename Traits::Value;

    Unique() = default;
    explicit Unique(Value v)
        : value_(v)
    {
    }
    ~Unique() { Reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept
        : value_(other.Release())
    {
    }
    Unique& operator=(Unique&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Value Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    Value Release() { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Value v = Traits::Invalid())
    {
        Value old = std::exchange(value_, v);
        // Reset to the value already held: still owned, so not closed.
        if (old != Traits::Invalid() && old != v) {
            Traits::Close(old);
        }
    }

private:
    Value value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::CloseHandle(v); }
};
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { ::CloseHandle(v); }
};
template <typename T> struct GdiObjectTraits {
    using Value = T;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::DeleteObject(v); }
};
struct MemoryDcTraits {
    using Value = HDC;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::DeleteDC(v); }
};
struct IconTraits {
    using Value = HICON;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::DestroyIcon(v); }
};
struct RegKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::RegCloseKey(v); }
};
struct GlobalMemoryTraits {
    using Value = HGLOBAL;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::GlobalFree(v); }
};

struct LocalMemoryTraits {
    using Value = HLOCAL;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::LocalFree(v); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = Unique<GdiObjectTraits<HBRUSH>>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniqueRegion = Unique<GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = Unique<MemoryDcTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueRegKey = Unique<RegKeyTraits>;
using UniqueGlobal = Unique<GlobalMemoryTraits>;
using UniqueLocal = Unique<LocalMemoryTraits>;

// A device context borrowed with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd)
        : hwnd_(hwnd)
        , dc_(::GetDC(hwnd))
    {
    }
    ~WindowDc()
    {
        if (dc_) {
            ::ReleaseDC(hwnd_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC for the scope and puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj)
        : dc_(dc)
        , old_(::SelectObject(dc, obj))
    {
    }
    ~SelectGuard()
    {
        if (old_) {
            ::SelectObject(dc_, old_);
        }
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Holds one COM reference.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) { }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other)
        : p_(other.p_)
    {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept
        : p_(std::exchange(other.p_, nullptr))
    {
    }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Put()
    {
        Reset();
        return &p_;
    }
    void Reset()
    {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }

private:
    T* p_ = nullptr;
};

} // namespace platform
