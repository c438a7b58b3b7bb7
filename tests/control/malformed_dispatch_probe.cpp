// Makes one dispatch call with a malformed or unusual parameter block on a hosted control
// and exits with the call's status, so that a crash or a hang ends only this process:
//   malformed_dispatch_probe <case>
// Exit codes: the HRESULT of Invoke; 2 for an unknown case; 3 when the set-up failed.

#include "tests/control/control_harness.h"
#include "tests/support/picture_files.h"

#include <cstdio>
#include <functional>
#include <map>

namespace {

using namespace cutshape;
using namespace cutshape::testing;

// The storage a case points into; it outlives the call.
struct Block {
    VARIANT arguments[1]{};
    VARIANT inner{};
    VARIANT innermost{};
    DISPID named = DISPID_PROPERTYPUT;
    IDispatch* picture = nullptr;
    DISPPARAMS parameters{};
    DISPID id = 0;
    WORD flags = DISPATCH_METHOD;

    void oneArgument(DISPID member, WORD kind) {
        id = member;
        flags = kind;
        parameters.rgvarg = arguments;
        parameters.cArgs = 1;
        if (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            parameters.rgdispidNamedArgs = &named;
            parameters.cNamedArgs = 1;
        }
    }
    void pictureValue(VARIANT& value) const {
        value.vt = VT_DISPATCH;
        value.pdispVal = picture;
    }
    void selfReference() {
        arguments[0].vt = VT_BYREF | VT_VARIANT;
        arguments[0].pvarVal = &arguments[0];
    }
    void nullReference(VARTYPE type) {
        arguments[0].vt = VT_BYREF | type;
        arguments[0].byref = nullptr;
    }
    void variantReferenceToPicture() {
        pictureValue(inner);
        arguments[0].vt = VT_BYREF | VT_VARIANT;
        arguments[0].pvarVal = &inner;
    }
};

using Setup = std::function<void(Block&)>;

void addMemberCases(std::map<std::wstring, Setup>& cases, const std::wstring& prefix, DISPID id,
                    WORD flags) {
    cases[prefix + L"-null-rgvarg"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.parameters.rgvarg = nullptr;
    };
    cases[prefix + L"-null-named-ids"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.pictureValue(b.arguments[0]);
        b.parameters.cNamedArgs = 1;
        b.parameters.rgdispidNamedArgs = nullptr;
    };
    cases[prefix + L"-self-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.selfReference();
    };
    cases[prefix + L"-reference-to-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.pictureValue(b.innermost);
        b.inner.vt = VT_BYREF | VT_VARIANT;
        b.inner.pvarVal = &b.innermost;
        b.arguments[0].vt = VT_BYREF | VT_VARIANT;
        b.arguments[0].pvarVal = &b.inner;
    };
    cases[prefix + L"-null-variant-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.nullReference(VT_VARIANT);
    };
    cases[prefix + L"-reference-to-null-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.inner.vt = VT_BYREF | VT_DISPATCH;
        b.inner.ppdispVal = nullptr;
        b.arguments[0].vt = VT_BYREF | VT_VARIANT;
        b.arguments[0].pvarVal = &b.inner;
    };
    cases[prefix + L"-null-dispatch-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.nullReference(VT_DISPATCH);
    };
    cases[prefix + L"-null-unknown-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.nullReference(VT_UNKNOWN);
    };
    cases[prefix + L"-null-long-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.nullReference(VT_I4);
    };
    cases[prefix + L"-variant-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.variantReferenceToPicture();
    };
    cases[prefix + L"-dispatch-reference"] = [=](Block& b) {
        b.oneArgument(id, flags);
        b.arguments[0].vt = VT_BYREF | VT_DISPATCH;
        b.arguments[0].ppdispVal = &b.picture;
    };
}

std::map<std::wstring, Setup> allCases() {
    std::map<std::wstring, Setup> cases;
    addMemberCases(cases, L"load", dispid::kLoad, DISPATCH_METHOD);
    addMemberCases(cases, L"picture", dispid::kPicture, DISPATCH_PROPERTYPUTREF);
    addMemberCases(cases, L"maskcolor", dispid::kMaskColor, DISPATCH_PROPERTYPUT);
    addMemberCases(cases, L"showpicture", dispid::kShowPicture, DISPATCH_PROPERTYPUT);
    cases[L"restore-null-named-ids"] = [](Block& b) {
        b.id = dispid::kRestore;
        b.parameters.cNamedArgs = 1;
    };
    cases[L"maskcolor-get-null-named-ids"] = [](Block& b) {
        b.id = dispid::kMaskColor;
        b.flags = DISPATCH_PROPERTYGET;
        b.parameters.cNamedArgs = 1;
    };
    return cases;
}

int run(const std::wstring& name) {
    const auto cases = allCases();
    const auto found = cases.find(name);
    if (found == cases.end())
        return 2;
    HostedControl hosted(container::FormDesign{L"Dispatch probe", 4800, 3600, 2, true}, true);
    const runtime::Picture picture =
        runtime::pictureFromBytes(writeBmp24(makeFigure(40, 30)), L"figure");
    const win::ComPtr<IPictureDisp> pictureDispatch = picture.dispatch();
    Block block;
    block.picture = pictureDispatch.get();
    found->second(block);
    win::Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT status =
        hosted.control->Invoke(block.id, IID_NULL, LOCALE_USER_DEFAULT, block.flags,
                               &block.parameters, result.get(), &exception, &argumentError);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return static_cast<int>(status);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    ::OleInitialize(nullptr);
    int status = 3;
    try {
        status = run(argv[1]);
    } catch (const win::Error& error) {
        std::fprintf(stderr, "malformed_dispatch_probe: %s\n", error.what());
    }
    ::OleUninitialize();
    return status;
}
