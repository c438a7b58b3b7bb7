// The COM boundary: every kind of exception becomes a failure number with the same number,
// source and text in the thread's error information and, for dispatch calls, in EXCEPINFO.

#include "core/arithmetic_error.h"
#include "win/com_error.h"
#include "win/com_ptr.h"
#include "win/error.h"
#include "win/text.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>

namespace cutshape {
namespace {

struct ErrorInfo {
    bool present = false;
    std::wstring source;
    std::wstring description;
};

// Takes the thread's error information, as a caller of a failed COM method does.
ErrorInfo takeErrorInfo() {
    ErrorInfo taken;
    win::ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) != S_OK || !info)
        return taken;
    taken.present = true;
    BSTR text = nullptr;
    info->GetSource(&text);
    taken.source = text ? text : L"";
    ::SysFreeString(text);
    text = nullptr;
    info->GetDescription(&text);
    taken.description = text ? text : L"";
    ::SysFreeString(text);
    return taken;
}

template <typename Exception>
HRESULT comErrorOf(const Exception& thrown) {
    ::SetErrorInfo(0, nullptr);
    try {
        throw thrown;
    } catch (...) {
        return win::toComError(IID_IDispatch, L"Boundary");
    }
}

struct DispatchResult {
    HRESULT status;
    EXCEPINFO exception;
};

template <typename Exception>
DispatchResult dispatchErrorOf(const Exception& thrown, bool withExceptionInfo = true,
                               bool wholeInvoke = false) {
    ::SetErrorInfo(0, nullptr);
    DispatchResult result{S_OK, EXCEPINFO{}};
    try {
        throw thrown;
    } catch (...) {
        EXCEPINFO* info = withExceptionInfo ? &result.exception : nullptr;
        result.status = wholeInvoke ? win::toDispatchResult(info, L"Boundary")
                                    : win::toDispatchException(info, L"Boundary");
    }
    return result;
}

std::wstring text(BSTR value) {
    return value ? value : L"";
}

void clear(EXCEPINFO& exception) {
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

struct Expected {
    HRESULT number;
    const wchar_t* source;
    const wchar_t* description;
};

void expectErrorInfo(const Expected& expected) {
    const ErrorInfo info = takeErrorInfo();
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.source, expected.source);
    EXPECT_EQ(info.description, expected.description);
}

TEST(ComBoundary, EveryKindOfExceptionKeepsItsNumberAndText) {
    struct Case {
        const char* name;
        HRESULT (*convert)();
        Expected expected;
    };
    const Case cases[] = {
        {"error with its own source",
         [] { return comErrorOf(win::Error(0x800A0006, L"Overflow", L"Runtime")); },
         {static_cast<HRESULT>(0x800A0006), L"Runtime", L"Overflow"}},
        {"error without a source",
         [] { return comErrorOf(win::Error(E_INVALIDARG, L"Bad value")); },
         {E_INVALIDARG, L"Boundary", L"Bad value"}},
        {"error whose number is a success code",
         [] { return comErrorOf(win::Error(S_FALSE, L"Not quite")); },
         {E_FAIL, L"Boundary", L"Not quite"}},
        {"allocation failure",
         [] { return comErrorOf(std::bad_alloc()); },
         {E_OUTOFMEMORY, L"Boundary", L"Out of memory"}},
        {"another standard exception",
         [] { return comErrorOf(std::runtime_error("disk on fire")); },
         {E_FAIL, L"Boundary", L"disk on fire"}},
        {"an arithmetic fault of the core",
         [] { return comErrorOf(core::ArithmeticError(core::ArithmeticFault::DivisionByZero)); },
         {E_FAIL, L"Boundary", nullptr}},
        {"no exception class at all",
         [] { return comErrorOf(42); },
         {E_UNEXPECTED, L"Boundary", L"Unexpected failure"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.convert(), c.expected.number);
        const ErrorInfo info = takeErrorInfo();
        ASSERT_TRUE(info.present);
        EXPECT_EQ(info.source, c.expected.source);
        if (c.expected.description)
            EXPECT_EQ(info.description, c.expected.description);
        else
            EXPECT_FALSE(info.description.empty()); // the fault's own text
    }
}

TEST(ComBoundary, DispatchExceptionsFillExcepinfoAndErrorInfoAlike) {
    DispatchResult result = dispatchErrorOf(win::Error(0x800A01AD, L"Cannot create", L"Runtime"));
    EXPECT_EQ(result.status, DISP_E_EXCEPTION);
    EXPECT_EQ(result.exception.scode, static_cast<HRESULT>(0x800A01AD));
    EXPECT_EQ(text(result.exception.bstrSource), L"Runtime");
    EXPECT_EQ(text(result.exception.bstrDescription), L"Cannot create");
    expectErrorInfo({0, L"Runtime", L"Cannot create"});
    clear(result.exception);
}

TEST(ComBoundary, DispatchCallersWithoutExcepinfoStillGetTheErrorInformation) {
    const DispatchResult result =
        dispatchErrorOf(win::Error(E_INVALIDARG, L"No such picture"), false);
    EXPECT_EQ(result.status, DISP_E_EXCEPTION);
    expectErrorInfo({0, L"Boundary", L"No such picture"});
}

TEST(ComBoundary, OnlyTheWholeInvokePassesFailuresOfTheCallItself) {
    for (const HRESULT status : {DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT}) {
        // The object's own Invoke: the caller named no such member, or miscounted.
        DispatchResult result = dispatchErrorOf(win::Error(status, L"dispatch"), true, true);
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.exception.scode, 0);
        EXPECT_EQ(result.exception.bstrDescription, nullptr);
        // A member that failed because something it called lacked a member: an exception
        // of the member, with the number in EXCEPINFO.
        result = dispatchErrorOf(win::Error(status, L"Setting 'Width' failed"));
        EXPECT_EQ(result.status, DISP_E_EXCEPTION);
        EXPECT_EQ(result.exception.scode, status);
        EXPECT_EQ(text(result.exception.bstrDescription), L"Setting 'Width' failed");
        clear(result.exception);
    }
    // Any other error, and any exception that is no Error, is an exception either way, with
    // its own number and text: not "out of memory" for everything that is no Error.
    DispatchResult result = dispatchErrorOf(win::Error(E_INVALIDARG, L"bad"), true, true);
    EXPECT_EQ(result.status, DISP_E_EXCEPTION);
    EXPECT_EQ(result.exception.scode, E_INVALIDARG);
    clear(result.exception);
    result = dispatchErrorOf(std::runtime_error("bad form line"), true, true);
    EXPECT_EQ(result.status, DISP_E_EXCEPTION);
    EXPECT_EQ(result.exception.scode, E_FAIL);
    EXPECT_EQ(text(result.exception.bstrDescription), L"bad form line");
    clear(result.exception);
}

// A caller read the thread's error information without clearing it first, so a call that
// failed without leaving any was reported with an earlier call's description.
TEST(ComBoundary, CallersTakeOnlyTheErrorInformationOfTheirOwnCall) {
    win::setErrorInfo(IID_NULL, L"Earlier", L"an earlier call's failure");
    try {
        win::checkWithErrorInfo([] { return E_ACCESSDENIED; }, L"Activating the control");
        FAIL() << "a failed call was taken for a success";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), E_ACCESSDENIED);
        EXPECT_EQ(error.description().find(L"an earlier call's failure"), std::wstring::npos);
        EXPECT_NE(error.description().find(L"Activating the control"), std::wstring::npos);
    }
    // What the call itself left is taken, with its source.
    try {
        win::checkWithErrorInfo(
            [] {
                win::setErrorInfo(IID_NULL, L"Control", L"the control's own words");
                return E_FAIL;
            },
            L"Loading");
        FAIL() << "a failed call was taken for a success";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.description(), L"the control's own words");
        EXPECT_EQ(error.source(), L"Control");
    }
    EXPECT_FALSE(takeErrorInfo().present); // taken, not left for a later reader
}

// The text a program writes with OutputDebugString, seen as the exception that carries it.
std::wstring reported;
LONG CALLBACK captureDebugText(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode == 0x4001000A /* wide debug text */ && record.NumberParameters >= 2)
        reported += reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    else if (record.ExceptionCode == 0x40010006 /* debug text */ && record.NumberParameters >= 2 &&
             reported.empty())
        reported += win::widen(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    else
        return EXCEPTION_CONTINUE_SEARCH;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// What a catch that must not rethrow caught reaches the debugger's output with its context.
TEST(ComBoundary, CaughtFailuresAreReportedOnTheDebugOutput) {
    reported.clear();
    PVOID handler = ::AddVectoredExceptionHandler(1, captureDebugText);
    ASSERT_NE(handler, nullptr);
    try {
        throw win::Error(E_OUTOFMEMORY, L"no memory for the picture");
    } catch (...) {
        win::reportCaught(L"painting the background");
    }
    ::RemoveVectoredExceptionHandler(handler);
    EXPECT_NE(reported.find(L"Cutshape: painting the background: no memory for the picture"),
              std::wstring::npos)
        << std::string(reported.begin(), reported.end());
}

} // namespace
} // namespace cutshape
