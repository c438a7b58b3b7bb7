// Cutshape from C++ through IDispatch alone (late bound, as scripting hosts call it): no
// header of the control is needed, only its programmatic identifier and member names. It
// prints each member's dispatch identifier, sets and reads the properties, and shows the
// error Load raises when the control has no picture to shape to.
//
// Build (Visual C++): cl /EHsc dispatch_client.cpp ole32.lib oleaut32.lib
// Build (MinGW-w64):  g++ -municode dispatch_client.cpp -lole32 -loleaut32
// Run:                dispatch_client

#include <cstdio>
#include <string>
#include <windows.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// Owners of a VARIANT and of a BSTR for the calls below.
struct Variant : VARIANT {
    Variant() { ::VariantInit(this); }
    ~Variant() { ::VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};
struct Bstr {
    BSTR text = nullptr;
    ~Bstr() { ::SysFreeString(text); }
    std::wstring str() const { return text ? text : L""; }
};

struct ComFailure {
    HRESULT status;
    const wchar_t* call;
};
void check(HRESULT status, const wchar_t* call) {
    if (FAILED(status))
        throw ComFailure{status, call};
}

DISPID idOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), name);
    return id;
}

void put(IDispatch* object, const wchar_t* name, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&value, &named, 1, 1};
    check(object->Invoke(idOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                         &parameters, nullptr, nullptr, nullptr),
          name);
}

void get(IDispatch* object, const wchar_t* name, Variant& value) {
    DISPPARAMS none{};
    check(object->Invoke(idOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                         &none, &value, nullptr, nullptr),
          name);
}

int run() {
    CLSID classId{};
    check(::CLSIDFromProgID(L"CutshapeCtrl.Cutshape", &classId), L"CLSIDFromProgID");
    ComPtr<IDispatch> cutshape;
    check(::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cutshape)),
          L"CoCreateInstance");

    for (const wchar_t* name : {L"Picture", L"Load", L"Restore", L"Move", L"Refresh", L"About",
                                L"MaskColor", L"ShowPicture", L"AutomaticMaskColor"})
        std::wprintf(L"%ls %ld\n", name, static_cast<long>(idOf(cutshape.Get(), name)));

    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_FALSE;
    put(cutshape.Get(), L"AutomaticMaskColor", value);
    value.vt = VT_I4;
    value.lVal = RGB(255, 0, 255); // magenta, 0x00BBGGRR
    put(cutshape.Get(), L"MaskColor", value);

    Variant maskColor, automatic, showPicture, picture;
    get(cutshape.Get(), L"MaskColor", maskColor);
    get(cutshape.Get(), L"AutomaticMaskColor", automatic);
    get(cutshape.Get(), L"ShowPicture", showPicture);
    get(cutshape.Get(), L"Picture", picture);
    check(::VariantChangeType(&maskColor, &maskColor, 0, VT_I4), L"MaskColor as a number");
    std::wprintf(L"MaskColor = %ld\n", static_cast<long>(maskColor.lVal));
    std::wprintf(L"AutomaticMaskColor = %ls\n", automatic.boolVal ? L"True" : L"False");
    std::wprintf(L"ShowPicture = %ls\n", showPicture.boolVal ? L"True" : L"False");
    std::wprintf(L"Picture is Nothing: %ls\n",
                 picture.vt == VT_DISPATCH && !picture.pdispVal ? L"True" : L"False");

    // Without a picture there is nothing to shape to: Load raises the control's own error,
    // which a dispatch caller receives as an exception with its number, source and text.
    DISPPARAMS none{};
    EXCEPINFO exception{};
    const HRESULT status =
        cutshape->Invoke(idOf(cutshape.Get(), L"Load"), IID_NULL, LOCALE_USER_DEFAULT,
                         DISPATCH_METHOD, &none, nullptr, &exception, nullptr);
    if (status == DISP_E_EXCEPTION && exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    Bstr source{exception.bstrSource}, description{exception.bstrDescription};
    ::SysFreeString(exception.bstrHelpFile);
    std::wprintf(L"Load: 0x%08lX 0x%08lX %ls: %ls\n", static_cast<unsigned long>(status),
                 static_cast<unsigned long>(exception.scode), source.str().c_str(),
                 description.str().c_str());
    return 0;
}

} // namespace

int wmain() {
    if (FAILED(::CoInitialize(nullptr)))
        return 1;
    int result = 1;
    try {
        result = run();
    } catch (const ComFailure& failure) {
        std::fwprintf(stderr, L"%ls failed: 0x%08lX\n", failure.call,
                      static_cast<unsigned long>(failure.status));
    }
    ::CoUninitialize();
    return result;
}
