#pragma once
// A property bag as a careless or hostile container may keep one: it hands out what it holds
// as it is, whatever type the reader asks for, or answers a key with a chosen status without
// touching the reader's value (a failure, or a success that delivers nothing).

#include "win/com_object.h"
#include "win/variant.h"

#include <map>
#include <ocidl.h>
#include <string>
#include <vector>

namespace cutshape::test {

class VerbatimBag final : public win::ComObject<VerbatimBag, IPropertyBag> {
public:
    // Stores a copy of `value` (VariantCopy) under `key`; keys are compared as given.
    void set(const std::wstring& key, const VARIANT& value);
    // Reading `key` answers `status` and leaves the reader's value as it was.
    void answer(const std::wstring& key, HRESULT status) { answers_[key] = status; }
    const VARIANT* find(const std::wstring& key) const;
    // The keys written through IPropertyBag::Write, in the order they came.
    const std::vector<std::wstring>& written() const noexcept { return written_; }

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR key, VARIANT* value, IErrorLog*) noexcept override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR key, VARIANT* value) noexcept override;

private:
    std::map<std::wstring, win::Variant> values_;
    std::map<std::wstring, HRESULT> answers_;
    std::vector<std::wstring> written_;
};

} // namespace cutshape::test
