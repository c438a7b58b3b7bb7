#include "tests/control/variant_values.h"

#include "tests/control/control_harness.h"

#include <cwchar>
#include <limits>
#include <stdexcept>

namespace cutshape::test {

// Everything a by-reference value points into: fixed addresses for the set's lifetime.
struct VariantValues::Storage {
    SHORT i2 = -2;
    LONG i4 = 0x00FFFFFF;
    BYTE ui1 = 7;
    double r8 = 2.5;
    CY cy{};
    DATE date = 45000.5;
    VARIANT_BOOL boolean = VARIANT_TRUE;
    SCODE error = DISP_E_PARAMNOTFOUND;
    DECIMAL decimal{};
    BSTR text = nullptr;
    BSTR noText = nullptr;
    IDispatch* object = nullptr;
    IDispatch* noObject = nullptr;
    IUnknown* unknown = nullptr;
    SAFEARRAY* array = nullptr;
    VARIANT toObject{};
    VARIANT toNumber{};
    VARIANT toEmpty{};
    VARIANT toMissing{};
    VARIANT innerReference{};     // a reference to `toObject`
    VARIANT innerNullReference{}; // a reference to nothing
    VARIANT self{};               // a reference to itself
    wchar_t rawText[16] = L"raw text";
    GUID guid{};
    std::vector<BSTR> texts;
    std::vector<SAFEARRAY*> arrays;

    ~Storage() {
        for (BSTR owned : texts)
            ::SysFreeString(owned);
        for (SAFEARRAY* owned : arrays)
            ::SafeArrayDestroy(owned);
    }
    BSTR keep(const wchar_t* value) { return texts.emplace_back(::SysAllocString(value)); }
    BSTR keep(const std::wstring& value) {
        return texts.emplace_back(
            ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
    }
    SAFEARRAY* keep(SAFEARRAY* owned) { return arrays.emplace_back(owned); }
};

namespace {

VARIANT typed(VARTYPE type) {
    VARIANT value{};
    value.vt = type;
    return value;
}

VARIANT reference(VARTYPE type, void* target) {
    return variantOfType(static_cast<VARTYPE>(VT_BYREF | type), target);
}

SAFEARRAY* vectorOf(VARTYPE type, ULONG count) {
    return ::SafeArrayCreateVector(type, 0, count);
}

} // namespace

VariantValues::VariantValues(const std::vector<NamedObject>& objects)
    : storage_(std::make_unique<Storage>()) {
    Storage& s = *storage_;
    auto add = [this](std::string name, VARIANT value, bool copyable = true) {
        values_.push_back(NamedVariant{std::move(name), value, copyable});
    };

    // Plain values: every type at an ordinary and an extreme value.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, VARIANT>>{
             {"empty", typed(VT_EMPTY)},
             {"null", typed(VT_NULL)},
             {"i1 -5", variantOfType(VT_I1, CHAR{-5})},
             {"ui1 255", variantOfType(VT_UI1, BYTE{255})},
             {"i2 -1", variantOfType(VT_I2, SHORT{-1})},
             {"ui2 65535", variantOfType(VT_UI2, USHORT{65535})},
             {"i4 0", variantOfType(VT_I4, LONG{0})},
             {"i4 1", variantOfType(VT_I4, LONG{1})},
             {"i4 -1", variantOfType(VT_I4, LONG{-1})},
             {"i4 16777215", variantOfType(VT_I4, LONG{0x00FFFFFF})},
             {"i4 -2147483648", variantOfType(VT_I4, std::numeric_limits<LONG>::min())},
             {"ui4 max", variantOfType(VT_UI4, ULONG{0xFFFFFFFF})},
             {"i8 2^40", variantOfType(VT_I8, LONGLONG{1} << 40)},
             {"ui8 max", variantOfType(VT_UI8, std::numeric_limits<ULONGLONG>::max())},
             {"int 7", variantOfType(VT_INT, INT{7})},
             {"uint 2^31", variantOfType(VT_UINT, UINT{0x80000000u})},
             {"r4 0.5", variantOfType(VT_R4, 0.5f)},
             {"r4 nan", variantOfType(VT_R4, nan)},
             {"r8 1e300", variantOfType(VT_R8, 1e300)},
             {"r8 -inf", variantOfType(VT_R8, -infinity)},
             {"r8 nan", variantOfType(VT_R8, double{nan})},
             {"cy 12.34", variantOfType(VT_CY, LONGLONG{123400})},
             {"date 0", variantOfType(VT_DATE, DATE{0})},
             {"bool true", variantOfType(VT_BOOL, VARIANT_BOOL{VARIANT_TRUE})},
             {"bool false", variantOfType(VT_BOOL, VARIANT_BOOL{VARIANT_FALSE})},
             {"bool 1", variantOfType(VT_BOOL, VARIANT_BOOL{1})}, // not the canonical True
             {"missing", variantOfType(VT_ERROR, SCODE{DISP_E_PARAMNOTFOUND})},
             {"error E_FAIL", variantOfType(VT_ERROR, SCODE{E_FAIL})},
         })
        add(name, value);
    for (const auto& [name, number] : {std::pair{"decimal 1.5", 1.5}, {"decimal 7.9e27", 7.9e27}}) {
        VARIANT v = typed(VT_DECIMAL);
        ::VarDecFromR8(number, &v.decVal);
        v.vt = VT_DECIMAL; // the decimal's own fields overlay the type code
        add(name, v);
    }
    for (const wchar_t* text :
         {L"12345", L"not a number", L"", L"True", L"&HFF", L"-2147483649", L"1e400"})
        add("bstr '" + std::string(text, text + std::wcslen(text)) + "'",
            variantOfType(VT_BSTR, s.keep(text)));
    add("bstr of 100000 digits", variantOfType(VT_BSTR, s.keep(std::wstring(100000, L'9'))));
    add("bstr null", typed(VT_BSTR));
    for (const auto& [name, object] : objects) {
        add("dispatch " + name, variantOfType(VT_DISPATCH, object));
        add("unknown " + name, variantOfType(VT_UNKNOWN, static_cast<IUnknown*>(object)));
    }
    add("dispatch nothing", typed(VT_DISPATCH));
    add("unknown nothing", typed(VT_UNKNOWN));

    // Arrays.
    s.array = s.keep(vectorOf(VT_I4, 3));
    for (LONG index = 0; index < 3; ++index) {
        LONG number = 0x00FFFFFF - index;
        ::SafeArrayPutElement(s.array, &index, &number);
    }
    add("array of 3 i4", variantOfType(VT_ARRAY | VT_I4, s.array));
    add("array of 0 i4", variantOfType(VT_ARRAY | VT_I4, s.keep(vectorOf(VT_I4, 0))));
    SAFEARRAYBOUND square[2] = {{2, 0}, {2, 1}};
    add("array of 2x2 i4",
        variantOfType(VT_ARRAY | VT_I4, s.keep(::SafeArrayCreate(VT_I4, 2, square))));
    add("array i4 without data", typed(VT_ARRAY | VT_I4));
    add("array of 16 ui1", variantOfType(VT_ARRAY | VT_UI1, s.keep(vectorOf(VT_UI1, 16))));
    SAFEARRAY* texts = s.keep(vectorOf(VT_BSTR, 2));
    for (LONG index = 0; index < 2; ++index)
        ::SafeArrayPutElement(texts, &index, s.texts.front());
    add("array of 2 bstr", variantOfType(VT_ARRAY | VT_BSTR, texts));
    if (!objects.empty()) {
        SAFEARRAY* mixed = s.keep(vectorOf(VT_VARIANT, 2));
        LONG index = 0;
        VARIANT element = variantOfType(VT_DISPATCH, objects.front().second);
        ::SafeArrayPutElement(mixed, &index, &element);
        index = 1;
        element = variantOfType(VT_I4, LONG{5});
        ::SafeArrayPutElement(mixed, &index, &element);
        add("array of variants (object, i4)", variantOfType(VT_ARRAY | VT_VARIANT, mixed));
        SAFEARRAY* dispatches = s.keep(vectorOf(VT_DISPATCH, 1));
        index = 0;
        ::SafeArrayPutElement(dispatches, &index, objects.front().second);
        add("array of 1 dispatch", variantOfType(VT_ARRAY | VT_DISPATCH, dispatches));
    }

    // By reference, to real storage.
    s.text = s.keep(L"42");
    s.object = objects.empty() ? nullptr : objects.front().second;
    s.unknown = s.object;
    s.cy.int64 = 50000;
    ::VarDecFromI4(3, &s.decimal);
    s.toObject = variantOfType(VT_DISPATCH, s.object);
    s.toNumber = variantOfType(VT_I4, LONG{0x0000FF00});
    s.toEmpty = typed(VT_EMPTY);
    s.toMissing = variantOfType(VT_ERROR, SCODE{DISP_E_PARAMNOTFOUND});
    add("ref i2", reference(VT_I2, &s.i2));
    add("ref i4", reference(VT_I4, &s.i4));
    add("ref ui1", reference(VT_UI1, &s.ui1));
    add("ref r8", reference(VT_R8, &s.r8));
    add("ref cy", reference(VT_CY, &s.cy));
    add("ref date", reference(VT_DATE, &s.date));
    add("ref bool", reference(VT_BOOL, &s.boolean));
    add("ref error", reference(VT_ERROR, &s.error));
    add("ref decimal", reference(VT_DECIMAL, &s.decimal));
    add("ref bstr", reference(VT_BSTR, &s.text));
    add("ref bstr null", reference(VT_BSTR, &s.noText));
    add("ref dispatch", reference(VT_DISPATCH, &s.object));
    add("ref dispatch nothing", reference(VT_DISPATCH, &s.noObject));
    add("ref unknown", reference(VT_UNKNOWN, &s.unknown));
    add("ref array i4", reference(VT_ARRAY | VT_I4, &s.array));
    add("ref variant object", reference(VT_VARIANT, &s.toObject));
    add("ref variant i4", reference(VT_VARIANT, &s.toNumber));
    add("ref variant empty", reference(VT_VARIANT, &s.toEmpty));
    add("ref variant missing", reference(VT_VARIANT, &s.toMissing));

    // By reference, malformed: to nothing, to a further reference, to itself.
    for (const VARTYPE type : {VARTYPE{VT_VARIANT}, VARTYPE{VT_I4}, VARTYPE{VT_DISPATCH},
                               VARTYPE{VT_BSTR}, VARTYPE{VT_ARRAY | VT_I4}})
        add("ref to nothing, type " + std::to_string(type), reference(type, nullptr));
    s.innerReference = reference(VT_VARIANT, &s.toObject);
    s.innerNullReference = reference(VT_DISPATCH, nullptr);
    s.self = reference(VT_VARIANT, &s.self);
    add("ref to ref to object", reference(VT_VARIANT, &s.innerReference));
    add("ref to ref to nothing", reference(VT_VARIANT, &s.innerNullReference));
    add("ref to itself", s.self);

    // Type codes no VARIANT may carry; any pointer in them points at real storage.
    for (const VARTYPE type :
         {VARTYPE{VT_VOID}, VARTYPE{VT_HRESULT}, VARTYPE{VT_PTR}, VARTYPE{VT_FILETIME},
          VARTYPE{VT_VECTOR | VT_I4}, VARTYPE{0x0FFF}, VARTYPE{0x7FFF}, VARTYPE{VT_RECORD}})
        add("type code " + std::to_string(type), typed(type), false);
    add("type code lpwstr", variantOfType(VT_LPWSTR, s.rawText), false);
    add("type code clsid", variantOfType(VT_CLSID, &s.guid), false);
}

VariantValues::~VariantValues() = default;

const VARIANT& VariantValues::operator[](const std::string& name) const {
    for (const NamedVariant& value : values_)
        if (value.name == name)
            return value.value;
    throw std::out_of_range("no value named " + name);
}

} // namespace cutshape::test
