// The container's automation objects share one IDispatch: names from a table, calls that
// check how a member is used, and errors that reach the caller with their numbers.
#include "container/automation_object.h"
#include "win/com_object.h"
#include "win/com_ptr.h"
#include "win/error.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <string>

namespace cutshape::container {
namespace {

constexpr DISPID kCount = 1;
constexpr DISPID kLabel = 2;
constexpr DISPID kHidden = 3; // reached by identifier only

class Counter final : public win::ComObject<Counter, win::Implements<IDispatch, AutomationObject>> {
public:
    LONG count = 7;
    std::wstring label = L"seven";

private:
    std::span<const DispatchMember> members() const noexcept override { return kMembers; }
    const wchar_t* sourceName() const noexcept override { return L"Counter"; }
    void invokeMember(DISPID id, DispatchCall& call) override {
        switch (id) {
        case kCount:
            if (call.isPut()) {
                count = call.value(VT_I4).get()->lVal;
                return;
            }
            return call.returns(count);
        case kLabel:
            if (call.isPut())
                throw win::Error(CTL_E_SETNOTSUPPORTED, L"Label is read-only");
            return call.returns(std::wstring_view(label));
        case kHidden:
            return call.returns(true);
        default:
            memberNotFound();
        }
    }

    static constexpr DispatchMember kMembers[] = {{L"Count", kCount}, {L"Label", kLabel}};
};

struct Outcome {
    HRESULT status;
    win::Variant value;
    EXCEPINFO exception{};

    Outcome() = default;
    Outcome(const Outcome&) = delete;
    ~Outcome() {
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
    }
};

void invoke(IDispatch& object, DISPID id, WORD flags, VARIANT* arguments, UINT count,
            Outcome& outcome) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{arguments, nullptr, count, 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    outcome.status = object.Invoke(id, IID_NULL, 0, flags, &parameters, outcome.value.get(),
                                   &outcome.exception, nullptr);
}

VARIANT text(BSTR value) {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = value;
    return argument;
}

TEST(AutomationObject, NamesAreLookedUpInTheTableCaseInsensitively) {
    const auto counter = win::makeCom<Counter>();
    IDispatch& object = *counter.query<IDispatch>().get();
    wchar_t count[] = L"cOUNT";
    wchar_t hidden[] = L"Hidden";
    wchar_t argument[] = L"Value";
    LPOLESTR names[] = {count, argument};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 1, 0, ids), S_OK);
    EXPECT_EQ(ids[0], kCount);
    // Members take no named arguments.
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kCount);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    // A member outside the table is reached by identifier only.
    names[0] = hidden;
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, names, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, nullptr, 1, 0, ids), E_POINTER);

    UINT typeInfos = 5;
    EXPECT_EQ(object.GetTypeInfoCount(&typeInfos), S_OK);
    EXPECT_EQ(typeInfos, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&typeInfos);
    EXPECT_EQ(object.GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
}

TEST(AutomationObject, GetsAndPutsReachTheMemberWithConvertedValues) {
    const auto counter = win::makeCom<Counter>();
    IDispatch& object = *counter.query<IDispatch>().get();
    {
        Outcome read;
        invoke(object, kCount, DISPATCH_PROPERTYGET, nullptr, 0, read);
        ASSERT_EQ(read.status, S_OK);
        EXPECT_EQ(read.value.get()->vt, VT_I4);
        EXPECT_EQ(read.value.get()->lVal, 7);
    }
    {
        // A text that reads as a number converts; the member sees a VT_I4.
        win::Variant argument;
        *argument.get() = text(::SysAllocString(L"42"));
        Outcome write;
        invoke(object, kCount, DISPATCH_PROPERTYPUT, argument.get(), 1, write);
        EXPECT_EQ(write.status, S_OK);
        EXPECT_EQ(counter->count, 42);
        EXPECT_EQ(write.value.get()->vt, VT_EMPTY);
    }
    {
        Outcome read;
        invoke(object, kLabel, DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, read);
        ASSERT_EQ(read.status, S_OK);
        ASSERT_EQ(read.value.get()->vt, VT_BSTR);
        EXPECT_STREQ(read.value.get()->bstrVal, L"seven");
    }
    // No parameters at all, and no place for the value: the call still runs.
    EXPECT_EQ(object.Invoke(kHidden, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr,
                            nullptr),
              S_OK);
}

TEST(AutomationObject, MisusedMembersFailAsTheCallersExpect) {
    const auto counter = win::makeCom<Counter>();
    IDispatch& object = *counter.query<IDispatch>().get();
    {
        Outcome unknown;
        invoke(object, 99, DISPATCH_PROPERTYGET, nullptr, 0, unknown);
        EXPECT_EQ(unknown.status, DISP_E_MEMBERNOTFOUND);
    }
    {
        // Reading a member with a put's flags is not a way it can be called.
        VARIANT argument;
        ::VariantInit(&argument);
        Outcome put;
        invoke(object, kHidden, DISPATCH_PROPERTYPUT, &argument, 1, put);
        EXPECT_EQ(put.status, DISP_E_MEMBERNOTFOUND);
    }
    {
        Outcome noValue;
        invoke(object, kCount, DISPATCH_PROPERTYPUT, nullptr, 0, noValue);
        EXPECT_EQ(noValue.status, DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(counter->count, 7);
    }
    {
        win::Variant argument;
        *argument.get() = text(::SysAllocString(L"not a number"));
        Outcome mismatch;
        invoke(object, kCount, DISPATCH_PROPERTYPUT, argument.get(), 1, mismatch);
        ASSERT_EQ(mismatch.status, DISP_E_EXCEPTION);
        EXPECT_EQ(mismatch.exception.scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13));
        EXPECT_STREQ(mismatch.exception.bstrDescription, L"Type mismatch");
        EXPECT_EQ(counter->count, 7);
    }
}

// tests/win/com_error_test.cpp checks what number and text each kind of exception becomes;
// here a member's error reaches the caller with the object's name as its source.
TEST(AutomationObject, MemberErrorsKeepTheirNumberSourceAndText) {
    const auto counter = win::makeCom<Counter>();
    IDispatch& object = *counter.query<IDispatch>().get();
    VARIANT argument;
    ::VariantInit(&argument);
    Outcome readOnly;
    invoke(object, kLabel, DISPATCH_PROPERTYPUT, &argument, 1, readOnly);
    ASSERT_EQ(readOnly.status, DISP_E_EXCEPTION);
    EXPECT_EQ(readOnly.exception.scode, CTL_E_SETNOTSUPPORTED);
    EXPECT_STREQ(readOnly.exception.bstrDescription, L"Label is read-only");
    EXPECT_STREQ(readOnly.exception.bstrSource, L"Counter");
}

TEST(AutomationObject, TheSharedImplementationAnswersForIDispatch) {
    const auto counter = win::makeCom<Counter>();
    const win::ComPtr<IDispatch> dispatch = counter.query<IDispatch>();
    const win::ComPtr<IUnknown> unknown = counter.query<IUnknown>();
    ASSERT_TRUE(dispatch);
    EXPECT_EQ(static_cast<IUnknown*>(dispatch.get()), unknown.get());
    EXPECT_EQ(dispatch.get(), static_cast<IDispatch*>(counter.get()));
}

} // namespace
} // namespace cutshape::container
