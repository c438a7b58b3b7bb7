#include "runtime/late_bound.h"
#include "win/com_object.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace cutshape {
namespace {

// How the object answers a call: a failure status, and what it says about the failure.
struct Failure {
    HRESULT status = S_OK;
    bool exception = false;        // answer DISP_E_EXCEPTION with `status` in the EXCEPINFO
    bool errorInfo = false;        // say that error information is left (ISupportErrorInfo)
    const wchar_t* text = nullptr; // the description given; no error information without
};

// An object with one named member, "Width" (identifier 1), that records the last call it was
// given and answers every call the way it is told to.
class HostObject final : public win::ComObject<HostObject, IDispatch, ISupportErrorInfo> {
public:
    explicit HostObject(Failure failure = {}) : failure_(failure) {}

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
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) noexcept override {
        ids[0] = _wcsicmp(names[0], L"Width") == 0 ? 1 : DISPID_UNKNOWN;
        return ids[0] == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD how, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO* exception, UINT*) noexcept override {
        id = member;
        flags = how;
        argument = win::Variant();
        if (parameters->cArgs == 1)
            ::VariantCopy(argument.get(), &parameters->rgvarg[0]);
        namedPut =
            parameters->cNamedArgs == 1 && parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
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
};

// The error a failing call raises. The object's own error passes unchanged; a bare status
// (a read-only Width once answered a put with one, and the error said only "Calling
// 'Width'") is described by the member, the attempt and what the status means: the system's
// text where it has one, the number where nobody has a text. Error information an earlier
// call left on the thread is never taken for the call's own.
TEST_F(LateBoundTest, FailedCallsRaiseTheObjectsErrorOrDescribeTheStatus) {
    constexpr WORD kPut = DISPATCH_PROPERTYPUT;
    constexpr WORD kCall = DISPATCH_METHOD;
    const struct {
        Failure failure;
        WORD flags;
        std::wstring description;
        std::wstring source = {};
        runtime::Member member = L"Width";
    } cases[] = {
        {{DISP_E_MEMBERNOTFOUND}, kPut, L"Setting 'Width' failed: Member not found."},
        {{DISP_E_TYPEMISMATCH}, DISPATCH_PROPERTYGET, L"Reading 'Width' failed: Type mismatch."},
        {{E_ACCESSDENIED}, kCall, L"Calling 'Width' failed: " + win::systemMessage(E_ACCESSDENIED)},
        {{static_cast<HRESULT>(0x80040777)}, kCall, L"Calling 'Width' failed: error 0x80040777"},
        {{DISP_E_MEMBERNOTFOUND}, kCall, L"Calling member 99 failed: Member not found.", {}, 99},
        // Says it leaves error information, but leaves none.
        {{E_FAIL, false, true}, kPut, L"Setting 'Width' failed: " + win::errorText(E_FAIL)},
        {{CTL_E_SETNOTSUPPORTED, true, false, L"Width is fixed"}, kPut, L"Width is fixed", L"Host"},
        {{E_FAIL, false, true, L"The form is closing"}, kPut, L"The form is closing", L"Host"},
    };
    ASSERT_FALSE(win::systemMessage(E_ACCESSDENIED).empty());
    VARIANT width;
    width.vt = VT_R4;
    width.fltVal = 3000;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.description);
        win::ComPtr<ICreateErrorInfo> stale;
        ASSERT_EQ(::CreateErrorInfo(stale.put()), S_OK);
        stale->SetDescription(const_cast<LPOLESTR>(L"an earlier error"));
        ::SetErrorInfo(0, stale.query<IErrorInfo>().get());
        const runtime::LateBound object(win::makeCom<HostObject>(c.failure).query<IDispatch>());
        try {
            if (c.flags == kPut)
                object.put(c.member, width);
            else if (c.flags == kCall)
                object.call(c.member);
            else
                object.get(c.member);
            ADD_FAILURE() << "the call did not fail";
        } catch (const win::Error& error) {
            EXPECT_EQ(error.number(), c.failure.status);
            EXPECT_EQ(error.description(), c.description);
            EXPECT_EQ(error.source(), c.source);
        }
    }
}

// Compiled programs call controls by dispatch identifier: each kind of call reaches the
// identifier with its flags and its argument as the control expects them.
TEST_F(LateBoundTest, MembersByIdentifierGetTheirArgumentsTyped) {
    const auto recorder = win::makeCom<HostObject>();
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
}

} // namespace
} // namespace cutshape
