// Owners for every Windows resource the plug-in holds. Each resource kind has exactly one
// owner type: move-only, never copyable, released by the function that matches the kind.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

namespace raii {

// Traits give the empty value of a kind and the function that releases it.
template <typename Traits>
class Unique {
public:
    using Type = typename Traits::Type;

    Unique() noexcept = default;
    explicit Unique(Type value) noexcept : m_value(value) {}
    ~Unique() { Reset(); }

    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : m_value(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const noexcept { return m_value; }
    bool IsValid() const noexcept { return m_value != Traits::Empty(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Releases what is held and hands out the address for a function that fills it.
    Type* Put() noexcept {
        Reset();
        return &m_value;
    }

    // Gives up ownership without releasing.
    Type Release() noexcept { return std::exchange(m_value, Traits::Empty()); }

    void Reset(Type value = Traits::Empty()) noexcept {
        Type old = std::exchange(m_value, value);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Type m_value = Traits::Empty();
};

struct HandleTraits {  // kernel objects whose empty value is null (threads, events, processes)
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW's empty value is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};
struct KeyTraits {
    using Type = HKEY;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
struct BstrTraits {
    using Type = BSTR;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type s) noexcept { ::SysFreeString(s); }
};
struct FontTraits {
    using Type = HFONT;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct WindowTraits {
    using Type = HWND;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::GlobalFree(h); }
};

struct ActivationContextTraits {  // CreateActCtxW's empty value is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::ReleaseActCtx(h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueBstr = Unique<BstrTraits>;
using UniqueFont = Unique<FontTraits>;
using UniqueWindow = Unique<WindowTraits>;
using UniqueGlobal = Unique<GlobalMemoryTraits>;
using UniqueActivationContext = Unique<ActivationContextTraits>;

// Keeps an activation context active on the current thread for the life of the object. An
// empty context activates nothing (the thread's current context stays in force).
class ActivationScope {
public:
    explicit ActivationScope(HANDLE context) noexcept {
        if (context != INVALID_HANDLE_VALUE && !::ActivateActCtx(context, &m_cookie)) m_cookie = 0;
    }
    ~ActivationScope() {
        if (m_cookie != 0) ::DeactivateActCtx(0, m_cookie);
    }
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;
    bool IsActive() const noexcept { return m_cookie != 0; }

private:
    ULONG_PTR m_cookie = 0;
};

// Holds one reference to a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) noexcept {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* p) noexcept {
        if (p) p->AddRef();
        return Attach(p);
    }
    ~ComPtr() { Reset(); }

    ComPtr(const ComPtr& other) noexcept : m_p(other.m_p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) noexcept {
        if (this != &other) *this = Share(other.m_p);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    T** Put() noexcept {
        Reset();
        return &m_p;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    T* Detach() noexcept { return std::exchange(m_p, nullptr); }

    void Reset() noexcept {
        if (T* old = std::exchange(m_p, nullptr)) old->Release();
    }

    template <typename U>
    HRESULT As(ComPtr<U>& out) const noexcept {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(__uuidof(U), out.PutVoid());
    }

private:
    T* m_p = nullptr;
};

// Initialises COM on the current thread for the lifetime of the object.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : m_hr(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};

}  // namespace raii
