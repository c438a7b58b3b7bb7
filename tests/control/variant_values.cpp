#include "tests/control/variant_values.h"

#include <cwchar>
#include <limits>
#include <stdexcept>

namespace cutshape::testing {

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
    VARIANT value;
    ::VariantInit(&value);
    value.vt = type;
    return value;
}

VARIANT reference(VARTYPE type, void* target) {
    VARIANT value = typed(static_cast<VARTYPE>(VT_BYREF | type));
    value.byref = target;
    return value;
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

    add("empty", typed(VT_EMPTY));
    add("null", typed(VT_NULL));
    {
        VARIANT v = typed(VT_I1);
        v.cVal = -5;
        add("i1 -5", v);
        v = typed(VT_UI1);
        v.bVal = 255;
        add("ui1 255", v);
        v = typed(VT_I2);
        v.iVal = -1;
        add("i2 -1", v);
        v = typed(VT_UI2);
        v.uiVal = 65535;
        add("ui2 65535", v);
        for (const LONG number :
             {LONG{0}, LONG{1}, LONG{-1}, LONG{0x00FFFFFF}, std::numeric_limits<LONG>::min()}) {
            v = typed(VT_I4);
            v.lVal = number;
            add("i4 " + std::to_string(number), v);
        }
        v = typed(VT_UI4);
        v.ulVal = 0xFFFFFFFF;
        add("ui4 max", v);
        v = typed(VT_I8);
        v.llVal = LONGLONG{1} << 40;
        add("i8 2^40", v);
        v = typed(VT_UI8);
        v.ullVal = std::numeric_limits<ULONGLONG>::max();
        add("ui8 max", v);
        v = typed(VT_INT);
        v.intVal = 7;
        add("int 7", v);
        v = typed(VT_UINT);
        v.uintVal = 0x80000000u;
        add("uint 2^31", v);
        v = typed(VT_R4);
        v.fltVal = 0.5f;
        add("r4 0.5", v);
        v.fltVal = std::numeric_limits<float>::quiet_NaN();
        add("r4 nan", v);
        v = typed(VT_R8);
        v.dblVal = 1e300;
        add("r8 1e300", v);
        v.dblVal = -std::numeric_limits<double>::infinity();
        add("r8 -inf", v);
        v.dblVal = std::numeric_limits<double>::quiet_NaN();
        add("r8 nan", v);
        v = typed(VT_CY);
        v.cyVal.int64 = 123400;
        add("cy 12.34", v);
        v = typed(VT_DATE);
        v.date = 0;
        add("date 0", v);
        v = typed(VT_BOOL);
        v.boolVal = VARIANT_TRUE;
        add("bool true", v);
        v.boolVal = VARIANT_FALSE;
        add("bool false", v);
        v.boolVal = 1; // not the canonical True
        add("bool 1", v);
        v = typed(VT_ERROR);
        v.scode = DISP_E_PARAMNOTFOUND;
        add("missing", v);
        v.scode = E_FAIL;
        add("error E_FAIL", v);
        v = typed(VT_DECIMAL);
        ::VarDecFromR8(1.5, &v.decVal);
        v.vt = VT_DECIMAL; // the decimal's own fields overlay the type code
        add("decimal 1.5", v);
        ::VarDecFromR8(7.9e27, &v.decVal);
        v.vt = VT_DECIMAL;
        add("decimal 7.9e27", v);
    }
    for (const wchar_t* text :
         {L"12345", L"not a number", L"", L"True", L"&HFF", L"-2147483649", L"1e400"}) {
        VARIANT v = typed(VT_BSTR);
        v.bstrVal = s.keep(text);
        add("bstr '" + std::string(text, text + std::wcslen(text)) + "'", v);
    }
    {
        VARIANT v = typed(VT_BSTR);
        v.bstrVal = s.keep(std::wstring(100000, L'9'));
        add("bstr of 100000 digits", v);
        v.bstrVal = nullptr;
        add("bstr null", v);
    }
    for (const auto& [name, object] : objects) {
        VARIANT v = typed(VT_DISPATCH);
        v.pdispVal = object;
        add("dispatch " + name, v);
        v = typed(VT_UNKNOWN);
        v.punkVal = object;
        add("unknown " + name, v);
    }
    {
        VARIANT v = typed(VT_DISPATCH);
        add("dispatch nothing", v);
        v = typed(VT_UNKNOWN);
        add("unknown nothing", v);
    }

    // Arrays.
    {
        SAFEARRAY* numbers = s.keep(vectorOf(VT_I4, 3));
        for (LONG index = 0; index < 3; ++index) {
            LONG number = 0x00FFFFFF - index;
            ::SafeArrayPutElement(numbers, &index, &number);
        }
        VARIANT v = typed(VT_ARRAY | VT_I4);
        v.parray = numbers;
        add("array of 3 i4", v);
        v.parray = s.keep(vectorOf(VT_I4, 0));
        add("array of 0 i4", v);
        SAFEARRAYBOUND square[2] = {{2, 0}, {2, 1}};
        v.parray = s.keep(::SafeArrayCreate(VT_I4, 2, square));
        add("array of 2x2 i4", v);
        v.parray = nullptr;
        add("array i4 without data", v);
        v = typed(VT_ARRAY | VT_UI1);
        v.parray = s.keep(vectorOf(VT_UI1, 16));
        add("array of 16 ui1", v);
        v = typed(VT_ARRAY | VT_BSTR);
        SAFEARRAY* texts = s.keep(vectorOf(VT_BSTR, 2));
        for (LONG index = 0; index < 2; ++index)
            ::SafeArrayPutElement(texts, &index, s.texts.front());
        v.parray = texts;
        add("array of 2 bstr", v);
        if (!objects.empty()) {
            SAFEARRAY* mixed = s.keep(vectorOf(VT_VARIANT, 2));
            LONG index = 0;
            VARIANT element = typed(VT_DISPATCH);
            element.pdispVal = objects.front().second;
            ::SafeArrayPutElement(mixed, &index, &element);
            index = 1;
            element = typed(VT_I4);
            element.lVal = 5;
            ::SafeArrayPutElement(mixed, &index, &element);
            v = typed(VT_ARRAY | VT_VARIANT);
            v.parray = mixed;
            add("array of variants (object, i4)", v);
            SAFEARRAY* dispatches = s.keep(vectorOf(VT_DISPATCH, 1));
            index = 0;
            ::SafeArrayPutElement(dispatches, &index, objects.front().second);
            v = typed(VT_ARRAY | VT_DISPATCH);
            v.parray = dispatches;
            add("array of 1 dispatch", v);
        }
        s.array = numbers;
    }

    // By reference, to real storage.
    s.text = s.keep(L"42");
    s.object = objects.empty() ? nullptr : objects.front().second;
    s.unknown = s.object;
    s.cy.int64 = 50000;
    ::VarDecFromI4(3, &s.decimal);
    s.toObject = typed(VT_DISPATCH);
    s.toObject.pdispVal = s.object;
    s.toNumber = typed(VT_I4);
    s.toNumber.lVal = 0x0000FF00;
    s.toEmpty = typed(VT_EMPTY);
    s.toMissing = typed(VT_ERROR);
    s.toMissing.scode = DISP_E_PARAMNOTFOUND;
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
          VARTYPE{VT_VECTOR | VT_I4}, VARTYPE{0x0FFF}, VARTYPE{0x7FFF}, VARTYPE{VT_RECORD}}) {
        VARIANT v = typed(type);
        add("type code " + std::to_string(type), v, false);
    }
    VARIANT rawText = typed(VT_LPWSTR);
    rawText.byref = s.rawText;
    add("type code lpwstr", rawText, false);
    VARIANT guid = typed(VT_CLSID);
    guid.byref = &s.guid;
    add("type code clsid", guid, false);
}

VariantValues::~VariantValues() = default;

const VARIANT& VariantValues::operator[](const std::string& name) const {
    for (const NamedVariant& value : values_)
        if (value.name == name)
            return value.value;
    throw std::out_of_range("no value named " + name);
}

} // namespace cutshape::testing
