#include "tests/control/verbatim_bag.h"

namespace cutshape::test {

void VerbatimBag::set(const std::wstring& key, const VARIANT& value) {
    win::Variant copy;
    win::check(::VariantCopy(copy.get(), const_cast<VARIANT*>(&value)), L"Storing a value");
    values_.insert_or_assign(key, std::move(copy));
}

const VARIANT* VerbatimBag::find(const std::wstring& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? nullptr : found->second.get();
}

HRESULT VerbatimBag::Read(LPCOLESTR key, VARIANT* value, IErrorLog*) noexcept {
    if (!key || !value)
        return E_POINTER;
    if (const auto answer = answers_.find(key); answer != answers_.end())
        return answer->second;
    const auto found = values_.find(key);
    if (found == values_.end())
        return E_INVALIDARG;
    ::VariantInit(value);
    return ::VariantCopy(value, found->second.get());
}

HRESULT VerbatimBag::Write(LPCOLESTR key, VARIANT* value) noexcept try {
    if (!key || !value)
        return E_POINTER;
    set(key, *value);
    written_.push_back(key);
    return S_OK;
} catch (const win::Error& error) {
    return error.number();
} catch (...) {
    return E_OUTOFMEMORY;
}

} // namespace cutshape::test
