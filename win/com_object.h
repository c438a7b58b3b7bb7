#pragma once
// One template for every COM class of the project. A class names its interfaces;
// ComObject answers QueryInterface for exactly those (and for IUnknown), keeps an atomic
// reference count, holds the module's unload lock while it lives and deletes itself at zero.
//
//   class Control final : public ComObject<Control, IOleObject, IPersistStreamInit,
//                                          Via<IPersist, IPersistStreamInit>> { ... };
//   ComPtr<Control> control = makeCom<Control>();
//
// Via<Base, Derived> answers a base interface through the one derived interface that
// carries it, so that the object needs no second copy of the base. Implements<Interface,
// Implementation> takes a shared implementation of an interface as the base that answers it.

#include "win/com_ptr.h"

#include <atomic>
#include <type_traits>

namespace cutshape::win {

// The count of live objects and server locks; the library may unload when it is zero.
class ModuleLock {
public:
    static void acquire() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    static void release() noexcept { count_.fetch_sub(1, std::memory_order_relaxed); }
    static long count() noexcept { return count_.load(std::memory_order_relaxed); }

    // One lock, held for as long as the holder lives.
    class Holder {
    public:
        Holder() noexcept { acquire(); }
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
        ~Holder() { release(); }
    };

private:
    static inline std::atomic<long> count_{0};
};

template <class Base, class Derived>
struct Via {};
template <class Interface, class Implementation>
struct Implements {};

namespace detail {

template <class Entry>
struct BaseOf {
    using Type = Entry; // a plain interface is a base class
};
template <class Base, class Derived>
struct ViaTag {}; // an empty base, so a Via entry adds no second vtable
template <class Base, class Derived>
struct BaseOf<Via<Base, Derived>> {
    using Type = ViaTag<Base, Derived>;
};

template <class Interface, class Implementation>
struct BaseOf<Implements<Interface, Implementation>> {
    using Type = Implementation;
};
template <class Entry>
struct InterfaceEntry {
    template <class Self>
    static void* find(Self* self, REFIID iid) noexcept {
        return iid == __uuidof(Entry) ? static_cast<Entry*>(self) : nullptr;
    }
};
template <class Base, class Derived>
struct InterfaceEntry<Via<Base, Derived>> {
    template <class Self>
    static void* find(Self* self, REFIID iid) noexcept {
        return iid == __uuidof(Base) ? static_cast<Base*>(static_cast<Derived*>(self)) : nullptr;
    }
};

template <class Interface, class Implementation>
struct InterfaceEntry<Implements<Interface, Implementation>> {
    template <class Self>
    static void* find(Self* self, REFIID iid) noexcept {
        return iid == __uuidof(Interface)
                   ? static_cast<Interface*>(static_cast<Implementation*>(self))
                   : nullptr;
    }
};
template <class First, class...>
struct FirstOf {
    using Type = First;
};

} // namespace detail

template <class Self, class... Entries>
class ComObject : public detail::BaseOf<Entries>::Type... {
public:
    ComObject() noexcept { ModuleLock::acquire(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { ModuleLock::release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) noexcept override {
        if (!result)
            return E_POINTER;
        *result = find(iid);
        if (!*result)
            return E_NOINTERFACE;
        static_cast<IUnknown*>(*result)->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete static_cast<Self*>(this);
        return left;
    }

    // The object's identity: its first interface as IUnknown.
    IUnknown* identity() noexcept {
        using First = typename detail::BaseOf<typename detail::FirstOf<Entries...>::Type>::Type;
        return static_cast<First*>(this);
    }

protected:
    // Answers further identifiers (older interface identifiers, for one); null for none.
    void* findOtherInterface(REFIID) noexcept { return nullptr; }

private:
    void* find(REFIID iid) noexcept {
        if (iid == IID_IUnknown)
            return identity();
        void* found = nullptr;
        ((found = found ? found : detail::InterfaceEntry<Entries>::find(this, iid)), ...);
        return found ? found : static_cast<Self*>(this)->findOtherInterface(iid);
    }

    std::atomic<ULONG> references_{1};
};

// Creates a COM object with a reference count of one, owned by the returned pointer.
template <class T, class... Args>
ComPtr<T> makeCom(Args&&... args) {
    return ComPtr<T>::attach(new T(std::forward<Args>(args)...));
}

} // namespace cutshape::win
