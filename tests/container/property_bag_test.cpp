#include "container/property_bag.h"

#include <gtest/gtest.h>
#include <string>

namespace cutshape {
namespace {

VARIANT reference(VARTYPE type, void* target) {
    VARIANT value;
    value.vt = static_cast<VARTYPE>(VT_BYREF | type);
    value.byref = target;
    return value;
}

HRESULT readAs(container::PropertyBag& bag, const wchar_t* name, VARTYPE type,
               win::Variant& value) {
    value.put()->vt = type;
    return bag.Read(name, value.get(), nullptr);
}

TEST(PropertyBag, NamesAreComparedWithoutCaseAndValuesConvertOnRead) {
    auto bag = win::makeCom<container::PropertyBag>();
    VARIANT number;
    number.vt = VT_I2;
    number.iVal = 255;
    bag->set(L"MaskColor", number);
    win::Variant read;
    ASSERT_EQ(readAs(*bag.get(), L"maskcolor", VT_I4, read), S_OK);
    EXPECT_EQ(read.get()->vt, VT_I4);
    EXPECT_EQ(read.get()->lVal, 255);
    EXPECT_EQ(readAs(*bag.get(), L"Missing", VT_I4, read), E_INVALIDARG);
}

// A by-reference value kept the caller's pointer, which the bag outlives; one that pointed
// to a reference to nothing crashed the bag's read in the system's conversion.
TEST(PropertyBag, ReferencesAreStoredAsTheValueTheyPointTo) {
    auto bag = win::makeCom<container::PropertyBag>();
    LONG number = 0x00FF00;
    bag->set(L"MaskColor", reference(VT_I4, &number));
    number = 7; // the caller's storage changes, or goes away
    ASSERT_NE(bag->find(L"MaskColor"), nullptr);
    EXPECT_EQ(bag->find(L"MaskColor")->vt, VT_I4);
    win::Variant read;
    ASSERT_EQ(readAs(*bag.get(), L"MaskColor", VT_I4, read), S_OK);
    EXPECT_EQ(read.get()->lVal, 0x00FF00);

    VARIANT toNothing = reference(VT_DISPATCH, nullptr);
    VARIANT self = reference(VT_VARIANT, nullptr);
    self.pvarVal = &self;
    for (const VARIANT& malformed :
         {reference(VT_I4, nullptr), reference(VT_VARIANT, &toNothing), self}) {
        try {
            bag->set(L"ShowPicture", malformed);
            ADD_FAILURE() << "a malformed reference of type " << malformed.vt << " was stored";
        } catch (const win::Error& error) {
            EXPECT_EQ(error.number(), DISP_E_TYPEMISMATCH);
        }
        EXPECT_EQ(readAs(*bag.get(), L"ShowPicture", VT_BOOL, read), E_INVALIDARG);
    }
}

// Objects go back as the objects they are, whatever type the reader asks for; other values
// convert or fail as the system's conversion does, never leaving half a value behind.
TEST(PropertyBag, ReadersGetObjectsAsTheyAreAndOtherValuesConverted) {
    auto bag = win::makeCom<container::PropertyBag>();
    const auto other = win::makeCom<container::PropertyBag>();
    VARIANT object;
    object.vt = VT_UNKNOWN;
    object.punkVal = other.query<IUnknown>().get();
    bag->set(L"Picture", object);
    win::Variant read;
    ASSERT_EQ(readAs(*bag.get(), L"Picture", VT_BOOL, read), S_OK);
    EXPECT_EQ(read.get()->vt, VT_UNKNOWN);
    EXPECT_EQ(read.get()->punkVal, object.punkVal);

    win::Variant text;
    text.get()->vt = VT_BSTR;
    text.get()->bstrVal = ::SysAllocString(L"12");
    ASSERT_EQ(bag->Write(L"Mode", text.get()), S_OK);
    ASSERT_EQ(readAs(*bag.get(), L"Mode", VT_I4, read), S_OK);
    EXPECT_EQ(read.get()->lVal, 12);
    // Asking for nothing in particular gives the value as stored: a copy, not the writer's.
    ASSERT_EQ(readAs(*bag.get(), L"Mode", VT_EMPTY, read), S_OK);
    ASSERT_EQ(read.get()->vt, VT_BSTR);
    EXPECT_NE(read.get()->bstrVal, text.get()->bstrVal);
    EXPECT_STREQ(read.get()->bstrVal, L"12");

    text.get()->bstrVal[0] = L'x'; // the writer's string changes after the write
    ASSERT_EQ(readAs(*bag.get(), L"Mode", VT_I4, read), S_OK);
    EXPECT_EQ(read.get()->lVal, 12);

    ::SysFreeString(text.get()->bstrVal);
    text.get()->bstrVal = ::SysAllocString(L"twelve");
    ASSERT_EQ(bag->Write(L"Mode", text.get()), S_OK); // a second write replaces the first
    EXPECT_EQ(readAs(*bag.get(), L"Mode", VT_I4, read), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(read.get()->vt, VT_EMPTY);
}

// A write the bag refuses reports why through the error information, as any COM method does.
TEST(PropertyBag, RefusedWritesSayWhy) {
    auto bag = win::makeCom<container::PropertyBag>();
    EXPECT_EQ(bag->Write(nullptr, nullptr), E_POINTER);
    VARIANT toNothing = reference(VT_I4, nullptr);
    ASSERT_EQ(bag->Write(L"MaskColor", &toNothing), DISP_E_TYPEMISMATCH);
    win::ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.put()), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_NE(std::wstring(description ? description : L"").find(L"Storing a property"),
              std::wstring::npos);
    ::SysFreeString(description);
    win::Variant read;
    EXPECT_EQ(readAs(*bag.get(), L"MaskColor", VT_I4, read), E_INVALIDARG);
}

} // namespace
} // namespace cutshape
