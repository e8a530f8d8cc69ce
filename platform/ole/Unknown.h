// IUnknown, the reference-counted smart pointer and the implementation helper.
//
// Every interface is an abstract struct deriving (singly) from its base interface and
// carrying its interface id as kIid and its base as Base, so that ComObject can answer
// QueryInterface for an interface and every interface it derives from.
#pragma once

#include "Guid.h"
#include "HResult.h"
#include "OleTypes.h"

#include <type_traits>
#include <utility>

struct IUnknown {
    static constexpr IID kIid = MakeGuid("00000000-0000-0000-C000-000000000046");
    using Base = void;

    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    // Objects are destroyed by their last Release, never through an interface pointer.
    ~IUnknown() = default;
};
inline constexpr const IID& IID_IUnknown = IUnknown::kIid;

template <class T>
constexpr const IID& IidOf()
{
    return T::kIid;
}

// Holds one reference to an interface; copies add references, destruction releases.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get()))
    {
    }
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // Takes over a reference the caller already owns (an out parameter's result).
    void attach(T* p)
    {
        reset();
        m_p = p;
    }
    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(m_p, nullptr); }
    // For out parameters: releases what is held and hands out the slot.
    T** put()
    {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Copies the reference into an out parameter (with its own AddRef); U is T or one
    // of its bases.
    template <class U>
    HRESULT copyTo(U** out) const
    {
        if (!out)
            return E_POINTER;
        *out = static_cast<U*>(m_p);
        if (m_p)
            m_p->AddRef();
        return S_OK;
    }

    // QueryInterface into another smart pointer; null when absent.
    template <class U>
    ComPtr<U> as() const
    {
        ComPtr<U> out;
        if (m_p)
            m_p->QueryInterface(U::kIid, out.putVoid());
        return out;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_p == nullptr; }

private:
    T* m_p = nullptr;
};

// QueryInterface of any interface pointer into a smart pointer.
template <class U, class T>
ComPtr<U> QueryAs(T* p)
{
    ComPtr<U> out;
    if (p)
        p->QueryInterface(U::kIid, out.putVoid());
    return out;
}

namespace ole_detail {
template <class I>
void* findInChain(I* p, REFIID riid)
{
    if (riid == I::kIid)
        return p;
    if constexpr (!std::is_void_v<typename I::Base>)
        return findInChain<typename I::Base>(static_cast<typename I::Base*>(p), riid);
    else
        return nullptr;
}
}

// Implements IUnknown for a class offering the given interfaces (list only the most
// derived ones; their bases are answered too). The object starts with no reference:
// wrap it in a ComPtr at once (MakeCom does). The last Release destroys it unless a
// subclass overrides finalRelease (objects owned by something else).
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        void* found = nullptr;
        ((found = found ? found : ole_detail::findInChain<Interfaces>(static_cast<Interfaces*>(this), riid)), ...);
        if (!found)
            found = queryExtra(riid);
        *ppvObject = found;
        if (!found)
            return E_NOINTERFACE;
        // The identity and every interface share one count, so AddRef on ourselves.
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        ULONG left = --m_refs;
        if (left == 0)
            finalRelease();
        return left;
    }
    ULONG refCount() const { return m_refs; }

protected:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;
    // Interfaces implemented by parts (embedded connection points): a pointer whose
    // AddRef reaches this object's count, or null. QueryInterface adds the reference.
    virtual void* queryExtra(REFIID) { return nullptr; }
    virtual void finalRelease() { delete this; }

    // The object's identity, for handing out to others.
    IUnknown* identity()
    {
        void* p = nullptr;
        ((p = p ? p : static_cast<IUnknown*>(static_cast<Interfaces*>(this))), ...);
        return static_cast<IUnknown*>(p);
    }

private:
    ULONG m_refs = 0;
};

template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args)
{
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}
