// Calls one member of a hosted control, or dispatch identifiers the control does not have,
// with every invoke kind and every argument layout, each call bounded in time; then checks
// that the control still shapes its form:
//   dispatch_robustness_probe <member>      (a member's name in lower case, or "others")
// Prints "calls <n>", "status <hex> <count>" per status, and how many About boxes and drags
// were answered. Exit code 0 when every call returned a defined status and the control still
// works, 1 when not, 2 for an unknown member, 3 when the set-up failed; a call that does not
// return ends the probe with CaseWatchdog::kHangExitCode.

#include "tests/control/control_harness.h"
#include "tests/control/shaping_check.h"
#include "tests/control/variant_values.h"
#include "tests/support/case_watchdog.h"
#include "tests/support/fake_picture.h"
#include "tests/support/picture_files.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>

namespace {

using namespace cutshape;
using namespace cutshape::testing;
using namespace std::chrono_literals;

// Under emulation an About box takes a few seconds to open and close.
constexpr auto kCallLimit = 30s;
constexpr UINT kAnswerIntervalMs = 25;

const std::map<std::wstring, std::vector<DISPID>> kMembers = {
    {L"picture", {dispid::kPicture}},
    {L"load", {dispid::kLoad}},
    {L"restore", {dispid::kRestore}},
    {L"move", {dispid::kMove}},
    {L"refresh", {dispid::kRefresh}},
    {L"about", {dispid::kAbout}},
    {L"maskcolor", {dispid::kMaskColor}},
    {L"showpicture", {dispid::kShowPicture}},
    {L"automaticmaskcolor", {dispid::kAutomaticMaskColor}},
    {L"others", {DISPID_VALUE, DISPID_UNKNOWN, DISPID_PROPERTYPUT, 0x60030009}},
};

constexpr WORD kKinds[] = {
    0,
    DISPATCH_METHOD,
    DISPATCH_PROPERTYGET,
    DISPATCH_PROPERTYPUT,
    DISPATCH_PROPERTYPUTREF,
    DISPATCH_METHOD | DISPATCH_PROPERTYGET,
    DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
    DISPATCH_METHOD | DISPATCH_PROPERTYPUT,
    DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT,
    DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
    0x0010, // no such kind
    0xFFFF,
};

// The arguments of one call, in call order, and the dispatch identifiers of the named ones;
// a malformed block counts arguments or names without the array behind the count.
struct Layout {
    std::string name;
    std::vector<VARIANT> arguments;
    std::vector<DISPID> named;
    bool countsWithoutArrays = false;
};

std::vector<Layout> layoutsOf(const VariantValues& values) {
    std::vector<Layout> layouts{{"no arguments", {}, {}}};
    for (const NamedVariant& value : values.all()) {
        layouts.push_back({value.name, {value.value}, {}});
        layouts.push_back(
            {value.name + " named as the put value", {value.value}, {DISPID_PROPERTYPUT}});
    }
    const VARIANT& picture = values["dispatch picture"];
    const VARIANT& colour = values["i4 16777215"];
    const VARIANT& yes = values["bool true"];
    const VARIANT& missing = values["missing"];
    for (const auto& [name, value] : {std::pair{"picture", picture}, std::pair{"colour", colour},
                                      std::pair{"true", yes}, std::pair{"missing", missing}}) {
        for (const DISPID id : {DISPID{0}, DISPID{1}, DISPID{12345}, DISPID{DISPID_UNKNOWN}})
            layouts.push_back({std::string(name) + " named " + std::to_string(id), {value}, {id}});
    }
    layouts.push_back({"picture, picture", {picture, picture}, {}});
    layouts.push_back({"colour, colour", {colour, colour}, {}});
    layouts.push_back({"missing, missing", {missing, missing}, {}});
    layouts.push_back({"picture, colour, true", {picture, colour, yes}, {}});
    layouts.push_back(
        {"colour, picture as the put value", {colour, picture}, {DISPID_PROPERTYPUT}});
    layouts.push_back(
        {"two put values", {picture, colour}, {DISPID_PROPERTYPUT, DISPID_PROPERTYPUT}});
    layouts.push_back({"put value and argument 0", {picture, colour}, {DISPID_PROPERTYPUT, 0}});
    layouts.push_back({"named, without the names", {picture}, {DISPID_PROPERTYPUT}, true});
    layouts.push_back({"counted, without the arguments", {picture, colour}, {}, true});
    return layouts;
}

// Which out-parameters a call passes.
struct Pointers {
    bool result;
    bool exception;
    bool argumentError;
    std::string name() const {
        return std::string(result ? "r" : "-") + (exception ? "e" : "-") +
               (argumentError ? "a" : "-");
    }
};

// The statuses a dispatch call may answer: success, a dispatch error, or a general failure.
bool isDefined(HRESULT status) {
    if (status == S_OK || HRESULT_FACILITY(status) == FACILITY_DISPATCH)
        return true;
    for (const HRESULT general : {E_INVALIDARG, E_POINTER, E_NOTIMPL, E_NOINTERFACE, E_OUTOFMEMORY,
                                  E_FAIL, E_UNEXPECTED, E_ACCESSDENIED})
        if (status == general)
            return true;
    return false;
}

// Answers the modal loops a call may enter on this thread, from a timer that runs for the
// whole batch (its messages are dispatched only inside such loops): an About box is closed
// as a user would (the close box's WM_CLOSE and Esc's IDCANCEL in turn), a drag ends with
// the button's release. Counts the calls whose box or drag it answered.
class ModalAnswerer {
public:
    explicit ModalAnswerer(HWND form) {
        form_ = form;
        timer_ = ::SetTimer(nullptr, 0, kAnswerIntervalMs, answer);
    }
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;
    ~ModalAnswerer() { ::KillTimer(nullptr, timer_); }

    void beginCall() { ++call_; }
    int dialogsAnswered() const { return dialogs_; }
    int dragsAnswered() const { return drags_; }

private:
    static BOOL CALLBACK findDialog(HWND window, LPARAM found) {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
        if (::IsWindowVisible(window) && std::wcscmp(name, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK answer(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog) {
            count(dialogs_, dialogCall_);
            closeBox_ = !closeBox_;
            if (closeBox_)
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            else
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (::GetCapture() == form_) {
            count(drags_, dragCall_);
            ::PostMessageW(form_, WM_LBUTTONUP, 0, 0);
        }
    }
    static void count(int& answered, long long& lastCall) {
        if (lastCall != call_)
            ++answered;
        lastCall = call_;
    }

    // The timer procedure has no context: one answerer per probe.
    static inline HWND form_ = nullptr;
    static inline long long call_ = 0;
    static inline long long dialogCall_ = -1;
    static inline long long dragCall_ = -1;
    static inline int dialogs_ = 0;
    static inline int drags_ = 0;
    static inline bool closeBox_ = false;
    UINT_PTR timer_ = 0;
};

struct Tally {
    long long calls = 0;
    std::map<HRESULT, long long> statuses;
    std::vector<std::string> faults;

    void fault(std::string text) {
        if (faults.size() < 20)
            faults.push_back(std::move(text));
        else if (faults.size() == 20)
            faults.push_back("(further faults not listed)");
    }
};

std::string hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

void callOnce(IDispatch* control, DISPID id, WORD kind, const Layout& layout, Pointers pointers,
              CaseWatchdog& watchdog, ModalAnswerer& answerer, Tally& tally) {
    std::vector<VARIANT> arguments(layout.arguments.rbegin(), layout.arguments.rend());
    std::vector<DISPID> named = layout.named;
    DISPPARAMS parameters{};
    parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
    parameters.cArgs = static_cast<UINT>(arguments.size());
    parameters.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
    parameters.cNamedArgs = static_cast<UINT>(named.size());
    if (layout.countsWithoutArrays) {
        if (named.empty())
            parameters.rgvarg = nullptr;        // arguments counted, none given
        parameters.rgdispidNamedArgs = nullptr; // names counted, none given
    }
    win::Variant result;
    EXCEPINFO exception{};
    constexpr UINT kUnset = 0xFFFFFFFF;
    UINT argumentError = kUnset;

    const std::string name = "id " + std::to_string(id) + " kind " + hex(kind) + " layout '" +
                             layout.name + "' pointers " + pointers.name();
    watchdog.begin(name);
    answerer.beginCall();
    const HRESULT status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                           pointers.result ? result.get() : nullptr,
                                           pointers.exception ? &exception : nullptr,
                                           pointers.argumentError ? &argumentError : nullptr);
    watchdog.end();

    ++tally.calls;
    ++tally.statuses[status];
    if (!isDefined(status))
        tally.fault(name + ": status " + hex(static_cast<unsigned long>(status)));
    if (status == DISP_E_EXCEPTION && pointers.exception) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        if (!FAILED(exception.scode) && exception.wCode == 0)
            tally.fault(name + ": an exception without an error code");
    }
    // A caller reads rgvarg at the index it is given; the index may be left unset.
    if (pointers.argumentError && argumentError != kUnset && argumentError >= parameters.cArgs)
        tally.fault(name + ": " + hex(static_cast<unsigned long>(status)) +
                    " with argument error index " + std::to_string(argumentError) + " for " +
                    std::to_string(parameters.cArgs) + " arguments");
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

int run(const std::wstring& member) {
    const auto found = kMembers.find(member);
    if (found == kMembers.end())
        return 2;
    HostedControl hosted(container::FormDesign{L"Dispatch robustness", 4800, 3600, 2, true}, true);
    hosted.form->show(); // a drag starts only on a visible window

    const runtime::Picture picture =
        runtime::pictureFromBytes(writeBmp24(makeFigure(40, 30)), L"figure");
    const win::ComPtr<IPictureDisp> pictureDispatch = picture.dispatch();
    FakePictureBehaviour unreadable;
    unreadable.widthStatus = E_FAIL;
    const auto brokenPicture = win::makeCom<FakePicture>(unreadable);
    const win::ComPtr<IPictureDisp> emptyPicture = runtime::emptyPicture().dispatch();
    const VariantValues values({
        {"picture", pictureDispatch.get()},
        {"empty picture", emptyPicture.get()},
        {"picture without a size", static_cast<IPictureDisp*>(brokenPicture.get())},
        {"form", static_cast<IDispatch*>(hosted.form.get())},
        {"control itself", hosted.control.get()},
    });
    const std::vector<Layout> layouts = layoutsOf(values);
    const Layout& noArguments = layouts.front();
    const Layout& onePicture = *std::find_if(layouts.begin(), layouts.end(), [](const Layout& l) {
        return l.name == "dispatch picture";
    });

    CaseWatchdog watchdog(kCallLimit);
    ModalAnswerer answerer(hosted.form->hwnd());
    Tally tally;
    for (const DISPID id : found->second)
        for (const WORD kind : kKinds)
            for (const Layout& layout : layouts) {
                callOnce(hosted.control.get(), id, kind, layout, {true, true, true}, watchdog,
                         answerer, tally);
                callOnce(hosted.control.get(), id, kind, layout, {false, false, false}, watchdog,
                         answerer, tally);
            }
    // Each out-parameter left out on its own, with no arguments and with a picture.
    for (const DISPID id : found->second)
        for (const WORD kind : kKinds)
            for (const Layout* layout : {&noArguments, &onePicture})
                for (const Pointers pointers :
                     {Pointers{false, true, true}, Pointers{true, false, true},
                      Pointers{true, true, false}})
                    callOnce(hosted.control.get(), id, kind, *layout, pointers, watchdog, answerer,
                             tally);

    watchdog.begin("the shaping check after the calls");
    const std::string broken = shapingFault(hosted);
    watchdog.end();

    std::printf("calls %lld\n", tally.calls);
    for (const auto& [status, count] : tally.statuses)
        std::printf("status %s %lld\n", hex(static_cast<unsigned long>(status)).c_str(), count);
    std::printf("answered dialogs %d drags %d\n", answerer.dialogsAnswered(),
                answerer.dragsAnswered());
    for (const std::string& fault : tally.faults)
        std::printf("fault: %s\n", fault.c_str());
    if (!broken.empty())
        std::printf("fault: the control no longer works: %s\n", broken.c_str());
    return tally.faults.empty() && broken.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    ::OleInitialize(nullptr);
    int status = 3;
    try {
        status = run(argv[1]);
    } catch (const std::exception& error) {
        std::printf("dispatch_robustness_probe: %s\n", error.what());
    }
    std::fflush(stdout);
    ::OleUninitialize();
    return status;
}
