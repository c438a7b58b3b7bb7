#pragma once
// Members of an automation object called at run time through IDispatch::Invoke, by name or by
// dispatch identifier. A failing call throws the object's own error unchanged.

#include "runtime/picture.h"
#include "win/com_ptr.h"
#include "win/variant.h"

#include <oaidl.h>
#include <string>

namespace cutshape::runtime {

// One IDispatch::Invoke with at most one argument (a property put names it as the value).
// A failure throws the object's own error: from its EXCEPINFO, or from the error
// information it leaves when it supports that, unchanged. A bare failure status is thrown
// with a description naming `member`, what was attempted and what the status means.
win::Variant invokeMember(IDispatch& object, DISPID id, WORD flags, VARIANT* argument,
                          const std::wstring& member);

// A member of an object: by name (looked up on each call, as a late-bound host reaches the
// form that holds a control) or by dispatch identifier (as a compiled program calls a control).
class Member {
public:
    Member(const wchar_t* name) noexcept : name_(name) {} // NOLINT: implicit by design
    Member(DISPID id) noexcept : id_(id) {}               // NOLINT: implicit by design

    DISPID idIn(IDispatch& object) const;
    // How error descriptions name the member: 'Width', or member 7.
    std::wstring label() const;

private:
    const wchar_t* name_ = nullptr;
    DISPID id_ = DISPID_UNKNOWN;
};

class LateBound {
public:
    explicit LateBound(win::ComPtr<IDispatch> object);

    win::Variant get(Member member) const;
    void put(Member member, const VARIANT& value) const;
    void put(Member member, bool value) const;
    void put(Member member, const wchar_t* value) const;
    // Assigns an object by reference (the host's Set statement); Nothing for a null one.
    void putRef(Member member, IDispatch* object) const;
    void putRef(Member member, const Picture& picture) const;
    // A method without arguments (an optional argument left out), or with one picture.
    void call(Member member) const;
    void call(Member member, const Picture& picture) const;

    IDispatch* object() const noexcept { return object_.get(); }

private:
    win::Variant invoke(Member member, WORD flags, VARIANT* argument) const;

    win::ComPtr<IDispatch> object_;
};

} // namespace cutshape::runtime
