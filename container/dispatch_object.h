#pragma once
// A control as a program calls it: late-bound, by dispatch identifier, through
// IDispatch::Invoke. A failing call throws the control's own error (number, description,
// source) unchanged.

#include "runtime/picture.h"
#include "win/com_ptr.h"
#include "win/variant.h"

#include <oaidl.h>

namespace cutshape::container {

class DispatchObject {
public:
    explicit DispatchObject(win::ComPtr<IDispatch> object);

    // A method without arguments (an optional argument left out).
    void call(DISPID id) const;
    // A method with one picture object as its argument.
    void call(DISPID id, const runtime::Picture& picture) const;
    win::Variant get(DISPID id) const;
    void put(DISPID id, const VARIANT& value) const;
    void put(DISPID id, bool value) const;
    void put(DISPID id, const wchar_t* value) const;
    // Assigns a picture object by reference.
    void putRef(DISPID id, const runtime::Picture& picture) const;

    IDispatch* object() const noexcept { return object_.get(); }

private:
    win::Variant invoke(DISPID id, WORD flags, VARIANT* argument) const;

    win::ComPtr<IDispatch> object_;
};

} // namespace cutshape::container
