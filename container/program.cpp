#include "container/program.h"

#include "container/bundled_files.h"
#include "forms/form_events.h"
#include "runtime/app.h"
#include "runtime/host_services.h"
#include "runtime/screen.h"
#include "win/text.h"

#include <commctrl.h>
#include <exception>
#include <olectl.h>

namespace cutshape::container {
namespace {

constexpr int kFailed = 1;

class OleSession {
public:
    OleSession() { win::check(::OleInitialize(nullptr), L"OleInitialize"); }
    ~OleSession() { ::OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

forms::FormDescription startUpForm(std::string_view formFile) {
    const std::span<const std::uint8_t> bytes = bundledFile(formFile);
    try {
        return forms::parseFormDescription(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            std::string(formFile));
    } catch (const forms::FormDescriptionError& error) {
        throw win::Error(CTL_E_INVALIDFILEFORMAT, win::widen(error.what()));
    }
}

win::Error asError(const std::exception& fault) {
    if (const auto* error = dynamic_cast<const win::Error*>(&fault))
        return *error;
    return win::Error(E_FAIL, win::widen(fault.what()));
}

class Program {
public:
    int run(std::string_view formFile, EventHandlers handlers) {
        const runtime::App app(::GetModuleHandleW(nullptr));
        title_ = app.title();
        try {
            FormInstance form(startUpForm(formFile), std::move(handlers),
                              [this](const win::Error& error) { fail(error); });
            form.onUnloaded([this] { ::PostQuitMessage(exitCode_); });
            form.raise(forms::kFormObject, forms::events::kInitialize);
            form.show();
            messageLoop(form);
        } catch (const std::exception& fault) {
            report(asError(fault));
            return kFailed;
        }
        return exitCode_;
    }

private:
    void messageLoop(FormInstance& form) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            // The dialog keys: Tab between tab stops, Alt+letter for access keys.
            if (form.hwnd() && ::IsDialogMessageW(form.hwnd(), &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    // An error raised in a handler run by a window event: reported, then the program ends.
    void fail(const win::Error& error) {
        if (exitCode_ == kFailed)
            return;
        exitCode_ = kFailed;
        report(error);
        ::PostQuitMessage(kFailed);
    }

    void report(const win::Error& error) const {
        runtime::msgBox(nullptr, unhandledErrorReport(error), MB_OK | MB_ICONSTOP, title_);
    }

    std::wstring title_;
    int exitCode_ = 0;
};

} // namespace

std::wstring unhandledErrorReport(const win::Error& error) {
    const HRESULT number = error.number();
    // The runtime's own errors carry their number in the low word.
    const std::wstring shown = HRESULT_FACILITY(number) == FACILITY_CONTROL
                                   ? std::to_wstring(HRESULT_CODE(number))
                                   : std::to_wstring(static_cast<long>(number));
    std::wstring text = L"Error " + shown + L": " + error.description();
    if (!error.source().empty())
        text += L"\n(raised by " + error.source() + L")";
    return text;
}

int runProgram(std::string_view formFile, EventHandlers handlers) {
    try {
        runtime::declarePerMonitorDpiAwareness();
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&classes);
        const OleSession ole;
        return Program().run(formFile, std::move(handlers));
    } catch (const std::exception&) {
        return kFailed;
    }
}

} // namespace cutshape::container
