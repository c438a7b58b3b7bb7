#pragma once
// Members of an automation object reached by name at run time, as a late-bound host reaches
// the form that holds a control. A failing call throws the object's own error unchanged.

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

class LateBound {
public:
    explicit LateBound(win::ComPtr<IDispatch> object);

    win::Variant get(const wchar_t* name) const;
    void put(const wchar_t* name, const VARIANT& value) const;
    // Assigns an object by reference (the host's Set statement).
    void putRef(const wchar_t* name, IDispatch* object) const;
    void call(const wchar_t* name) const;

    IDispatch* object() const noexcept { return object_.get(); }

private:
    DISPID dispatchId(const wchar_t* name) const;
    win::Variant invoke(const wchar_t* name, WORD flags, VARIANT* argument) const;

    win::ComPtr<IDispatch> object_;
};

} // namespace cutshape::runtime
