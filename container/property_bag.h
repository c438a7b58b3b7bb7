#pragma once
// A control's stored property set: named values, names compared without regard to case.
// Reading a name that is not stored fails with E_INVALIDARG, so the control uses its default.

#include "win/com_object.h"
#include "win/variant.h"

#include <map>
#include <ocidl.h>
#include <string>

namespace cutshape::container {

class PropertyBag final : public win::ComObject<PropertyBag, IPropertyBag> {
public:
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value,
                                   IErrorLog* log) noexcept override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) noexcept override;

    bool contains(const std::wstring& name) const { return values_.count(key(name)) != 0; }
    const VARIANT* find(const std::wstring& name) const;
    std::size_t size() const noexcept { return values_.size(); }
    // Stores a copy of a value directly, as a form description does; a reference is stored as
    // the value it points to. Throws Error(DISP_E_TYPEMISMATCH) for a reference to nothing or
    // to another reference.
    void set(const std::wstring& name, const VARIANT& value);

private:
    static std::wstring key(const std::wstring& name);
    std::map<std::wstring, win::Variant> values_;
};

} // namespace cutshape::container
