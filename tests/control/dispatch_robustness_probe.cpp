// Calls one member of a hosted control, or dispatch identifiers the control does not have,
// with every invoke kind and every argument layout, each call bounded in time; then checks
// that the control still shapes its form and, once it is closed, that the calls kept no
// reference to the objects they were handed and left no control object alive:
//   dispatch_robustness_probe <member>      (a member's name in lower case, or "others")
// Prints "calls <n>", "status <hex> <count>" per status, and how many About boxes and drags
// were answered. Exit code 0 when every call returned a defined status and nothing leaked,
// 1 when not, 2 for an unknown member, 3 when the set-up failed; a call that does not return
// ends the probe with CaseWatchdog::kHangExitCode.
//
// Blocks that count arguments or names without the arrays behind them are refused before any
// member is chosen; the control's test pins their statuses, so the layouts here are whole.

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
#include <optional>

namespace {

using namespace cutshape;
using namespace cutshape::test;
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

// Every combination of the four invoke kinds, and bits that name no kind.
std::vector<WORD> invokeKinds() {
    std::vector<WORD> kinds{0x0010, 0xFFFF};
    for (WORD combination = 0; combination <= 0x000F; ++combination)
        kinds.push_back(combination);
    return kinds;
}

// The arguments of one call, in call order, and the dispatch identifiers of the named ones.
struct Layout {
    std::string name;
    std::vector<VARIANT> arguments;
    std::vector<DISPID> named;
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
constexpr HRESULT kGeneralFailures[] = {E_INVALIDARG,  E_POINTER, E_NOTIMPL,    E_NOINTERFACE,
                                        E_OUTOFMEMORY, E_FAIL,    E_UNEXPECTED, E_ACCESSDENIED};
bool isDefined(HRESULT status) {
    return status == S_OK || HRESULT_FACILITY(status) == FACILITY_DISPATCH ||
           std::find(std::begin(kGeneralFailures), std::end(kGeneralFailures), status) !=
               std::end(kGeneralFailures);
}

// Answers the modal loops a call may enter on this thread, from a timer that runs for the
// whole batch (its messages are dispatched only inside such loops): an About box is closed
// as a user would (the close box's WM_CLOSE and Esc's IDCANCEL in turn), a drag ends with
// the button's release. Counts the answers it gave. The timer procedure has no context, so
// its state is static: one form per probe.
struct ModalAnswers {
    static inline HWND form = nullptr;
    static inline int dialogs = 0;
    static inline int drags = 0;
    static inline bool closeBox = false;

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
            ++dialogs;
            closeBox = !closeBox;
            if (closeBox)
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            else
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (::GetCapture() == form) {
            ++drags;
            ::PostMessageW(form, WM_LBUTTONUP, 0, 0);
        }
    }
};

struct Tally {
    long long calls = 0;
    std::map<HRESULT, long long> statuses;
    ProbeFaults faults;
};

void callOnce(IDispatch* control, DISPID id, WORD kind, const Layout& layout, Pointers pointers,
              CaseWatchdog& watchdog, Tally& tally) {
    std::vector<VARIANT> arguments(layout.arguments.rbegin(), layout.arguments.rend());
    std::vector<DISPID> named = layout.named;
    DISPPARAMS parameters{arguments.empty() ? nullptr : arguments.data(),
                          named.empty() ? nullptr : named.data(),
                          static_cast<UINT>(arguments.size()), static_cast<UINT>(named.size())};
    constexpr UINT kUnset = 0xFFFFFFFF;
    Call made;
    made.argumentError = kUnset;

    const std::string name = "id " + std::to_string(id) + " kind " + hexOf(kind) + " layout '" +
                             layout.name + "' pointers " + pointers.name();
    watchdog.begin(name);
    made.status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                  pointers.result ? made.result.get() : nullptr,
                                  pointers.exception ? &made.exception : nullptr,
                                  pointers.argumentError ? &made.argumentError : nullptr);
    watchdog.end();

    ++tally.calls;
    ++tally.statuses[made.status];
    if (!isDefined(made.status))
        tally.faults.add(name + ": status " + hexOf(made.status));
    if (made.status == DISP_E_EXCEPTION && pointers.exception) {
        if (made.exception.pfnDeferredFillIn)
            made.exception.pfnDeferredFillIn(&made.exception);
        if (!FAILED(made.exception.scode) && made.exception.wCode == 0)
            tally.faults.add(name + ": an exception without an error code");
    }
    // A caller reads rgvarg at the index it is given; the index may be left unset.
    if (pointers.argumentError && made.argumentError != kUnset &&
        made.argumentError >= parameters.cArgs)
        tally.faults.add(name + ": " + hexOf(made.status) + " with argument error index " +
                         std::to_string(made.argumentError) + " for " +
                         std::to_string(parameters.cArgs) + " arguments");
}

// How many references `object` has: what AddRef and Release answer.
ULONG referencesTo(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

int run(const std::wstring& member) {
    const auto found = kMembers.find(member);
    if (found == kMembers.end())
        return 2;
    std::optional<HostedControl> hosted(std::in_place,
                                        container::FormDesign{L"Dispatch robustness"}, true);
    hosted->form->show(); // a drag starts only on a visible window

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
        {"form", static_cast<IDispatch*>(hosted->form.get())},
        {"control itself", hosted->control.get()},
    });
    IUnknown* const pictures[] = {pictureDispatch.get(), emptyPicture.get(),
                                  static_cast<IPictureDisp*>(brokenPicture.get())};
    std::vector<ULONG> referencesBefore;
    for (IUnknown* object : pictures)
        referencesBefore.push_back(referencesTo(object));

    const std::vector<Layout> layouts = layoutsOf(values);
    const Layout* noneAndAPicture[] = {
        &layouts.front(), &*std::find_if(layouts.begin(), layouts.end(), [](const Layout& layout) {
            return layout.name == "dispatch picture";
        })};
    CaseWatchdog watchdog(kCallLimit);
    Tally tally;
    ModalAnswers::form = hosted->form->hwnd();
    const UINT_PTR answering = ::SetTimer(nullptr, 0, kAnswerIntervalMs, ModalAnswers::answer);
    IDispatch* control = hosted->control.get();
    for (const DISPID id : found->second)
        for (const WORD kind : invokeKinds()) {
            for (const Layout& layout : layouts)
                for (const Pointers pointers : {Pointers{true, true, true}, Pointers{}})
                    callOnce(control, id, kind, layout, pointers, watchdog, tally);
            // Each out-parameter left out on its own.
            for (const Layout* layout : noneAndAPicture)
                for (const Pointers pointers :
                     {Pointers{false, true, true}, Pointers{true, false, true},
                      Pointers{true, true, false}})
                    callOnce(control, id, kind, *layout, pointers, watchdog, tally);
        }
    watchdog.begin("the shaping check after the calls");
    if (const std::string broken = shapingFault(*hosted); !broken.empty())
        tally.faults.add("the control no longer works: " + broken);
    watchdog.end();
    ::KillTimer(nullptr, answering);
    watchdog.begin("closing the control");
    hosted.reset();
    watchdog.end();
    for (std::size_t i = 0; i < std::size(pictures); ++i)
        if (const ULONG after = referencesTo(pictures[i]); after != referencesBefore[i])
            tally.faults.add("picture argument " + std::to_string(i) + " has " +
                             std::to_string(after) + " references after the calls, " +
                             std::to_string(referencesBefore[i]) + " before");
    if (const HRESULT unload = ControlLibrary::instance().canUnloadNow(); unload != S_OK)
        tally.faults.add("control objects are still alive (DllCanUnloadNow " + hexOf(unload) + ")");

    std::printf("calls %lld\n", tally.calls);
    for (const auto& [status, count] : tally.statuses)
        std::printf("status %s %lld\n", hexOf(status).c_str(), count);
    std::printf("answered dialogs %d drags %d\n", ModalAnswers::dialogs, ModalAnswers::drags);
    tally.faults.print();
    return tally.faults.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    return runProbe("dispatch_robustness_probe", [&] { return run(argv[1]); });
}
