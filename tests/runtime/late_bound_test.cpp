#include "runtime/late_bound.h"
#include "win/com_object.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace cutshape {
namespace {

// An object with one member, "Width", that fails every call the way it is told to.
struct Failure {
    HRESULT status = S_OK;
    bool exception = false;        // answer DISP_E_EXCEPTION with `status` in the EXCEPINFO
    bool errorInfo = false;        // say that error information is left (ISupportErrorInfo)
    const wchar_t* text = nullptr; // the description given; no error information without
};

class FailingObject final : public win::ComObject<FailingObject, IDispatch, ISupportErrorInfo> {
public:
    explicit FailingObject(Failure failure) : failure_(failure) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) noexcept override {
        ids[0] = _wcsicmp(names[0], L"Width") == 0 ? 1 : DISPID_UNKNOWN;
        return ids[0] == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO* exception, UINT*) noexcept override {
        if (failure_.exception) {
            *exception = EXCEPINFO{};
            exception->scode = failure_.status;
            exception->bstrSource = ::SysAllocString(L"Host");
            exception->bstrDescription = ::SysAllocString(failure_.text);
            return DISP_E_EXCEPTION;
        }
        if (failure_.errorInfo && failure_.text) {
            win::ComPtr<ICreateErrorInfo> create;
            ::CreateErrorInfo(create.put());
            create->SetSource(const_cast<LPOLESTR>(L"Host"));
            create->SetDescription(const_cast<LPOLESTR>(failure_.text));
            ::SetErrorInfo(0, create.query<IErrorInfo>().get());
        }
        return failure_.status;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) noexcept override {
        return failure_.errorInfo && iid == IID_IDispatch ? S_OK : S_FALSE;
    }

private:
    Failure failure_;
};

class LateBoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    static win::Error errorOf(Failure failure, WORD flags) {
        const runtime::LateBound object(win::makeCom<FailingObject>(failure).query<IDispatch>());
        VARIANT value;
        value.vt = VT_R4;
        value.fltVal = 3000;
        try {
            if (flags == DISPATCH_PROPERTYPUT)
                object.put(L"Width", value);
            else if (flags == DISPATCH_PROPERTYGET)
                object.get(L"Width");
            else
                object.call(L"Width");
        } catch (const win::Error& error) {
            return error;
        }
        throw std::runtime_error("the call did not fail");
    }
};

// A read-only Width answered a put with a bare status, and the error said only
// "Calling 'Width'": neither what was attempted nor why it failed.
TEST_F(LateBoundTest, BareStatusIsDescribedByMemberAttemptAndMeaning) {
    const win::Error put = errorOf(Failure{DISP_E_MEMBERNOTFOUND}, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(put.number(), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(put.description(), L"Setting 'Width' failed: Member not found.");
    EXPECT_EQ(errorOf(Failure{DISP_E_TYPEMISMATCH}, DISPATCH_PROPERTYGET).description(),
              L"Reading 'Width' failed: Type mismatch.");
    // The system's own text where it has one; the number where nobody has a text.
    const win::Error denied = errorOf(Failure{E_ACCESSDENIED}, DISPATCH_METHOD);
    EXPECT_EQ(denied.description(),
              L"Calling 'Width' failed: " + win::systemMessage(E_ACCESSDENIED));
    EXPECT_FALSE(win::systemMessage(E_ACCESSDENIED).empty());
    EXPECT_EQ(errorOf(Failure{static_cast<HRESULT>(0x80040777)}, DISPATCH_METHOD).description(),
              L"Calling 'Width' failed: error 0x80040777");
}

TEST_F(LateBoundTest, HostsOwnErrorPassesUnchanged) {
    const win::Error raised = errorOf(
        Failure{CTL_E_SETNOTSUPPORTED, true, false, L"Width is fixed"}, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(raised.number(), CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(raised.description(), L"Width is fixed");
    EXPECT_EQ(raised.source(), L"Host");

    const win::Error left =
        errorOf(Failure{E_FAIL, false, true, L"The form is closing"}, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(left.number(), E_FAIL);
    EXPECT_EQ(left.description(), L"The form is closing");
    EXPECT_EQ(left.source(), L"Host");
}

// Error information an earlier call left on the thread is not taken for this call's.
TEST_F(LateBoundTest, StaleErrorInformationIsNotTakenForTheHosts) {
    win::ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(::CreateErrorInfo(create.put()), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(L"an earlier error"));
    ::SetErrorInfo(0, create.query<IErrorInfo>().get());
    Failure failure{E_FAIL};
    failure.errorInfo = true; // says it leaves information, but leaves none
    EXPECT_EQ(errorOf(failure, DISPATCH_PROPERTYPUT).description(),
              L"Setting 'Width' failed: " + win::errorText(E_FAIL));
}

// An object that records the last call it was given.
class RecordingObject final : public win::ComObject<RecordingObject, IDispatch> {
public:
    DISPID id = DISPID_UNKNOWN;
    WORD flags = 0;
    win::Variant argument;
    bool namedPut = false;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID* ids) noexcept override {
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD how, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) noexcept override {
        id = member;
        flags = how;
        argument = win::Variant();
        if (parameters->cArgs == 1)
            ::VariantCopy(argument.get(), &parameters->rgvarg[0]);
        namedPut =
            parameters->cNamedArgs == 1 && parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        return id == 99 ? DISP_E_MEMBERNOTFOUND : S_OK;
    }
};

// Compiled programs call controls by dispatch identifier: each kind of call reaches the
// identifier with its flags and its argument as the control expects them.
TEST_F(LateBoundTest, MembersByIdentifierGetTheirArgumentsTyped) {
    const auto recorder = win::makeCom<RecordingObject>();
    const runtime::LateBound object(recorder.query<IDispatch>());

    object.put(DISPID(18), true);
    EXPECT_EQ(recorder->id, 18);
    EXPECT_EQ(recorder->flags, DISPATCH_PROPERTYPUT);
    EXPECT_TRUE(recorder->namedPut);
    EXPECT_EQ(recorder->argument.get()->vt, VT_BOOL);
    EXPECT_EQ(recorder->argument.get()->boolVal, VARIANT_TRUE);

    object.put(DISPID(2), L"Select");
    EXPECT_EQ(recorder->argument.get()->vt, VT_BSTR);
    EXPECT_STREQ(recorder->argument.get()->bstrVal, L"Select");

    // A picture that is Nothing goes as an empty object reference, not as a missing argument.
    object.putRef(DISPID(7), runtime::Picture());
    EXPECT_EQ(recorder->flags, DISPATCH_PROPERTYPUTREF);
    EXPECT_EQ(recorder->argument.get()->vt, VT_DISPATCH);
    EXPECT_EQ(recorder->argument.get()->pdispVal, nullptr);

    object.call(DISPID(1));
    EXPECT_EQ(recorder->flags, DISPATCH_METHOD);
    EXPECT_FALSE(recorder->namedPut);
    EXPECT_EQ(recorder->argument.get()->vt, VT_EMPTY);

    try {
        object.call(DISPID(99));
        FAIL() << "the call did not fail";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.description(), L"Calling member 99 failed: Member not found.");
    }
}

} // namespace
} // namespace cutshape
