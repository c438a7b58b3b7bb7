#include "container/property_bag.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace cutshape
