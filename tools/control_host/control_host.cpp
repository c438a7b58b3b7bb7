// Hosts the Cutshape control on a form of the project's own runtime, the way a program
// does: the control is created from the library's class factory, sited on the form and
// called late-bound by dispatch identifier. A left-button press on the form calls Move, a
// right-button press Restore; with --then the first right-button press loads the second
// picture instead.
//
//   control_host <Cutshape.ocx> <picture> [--title T] [--show-picture] [--borderless]
//                [--mask auto|0xBBGGRR]
//                [--container form|points|fixed-size|read-only-width|no-parent|no-extender]
//                [--then <picture>]
//
// --container chooses what the site offers the control as its form
// (tools/container_kinds/container_kind.h).
// Prints "shaped <width> <height>" once the form is shown after Load, preceded by
// "load failed: 0x<number> <description>" when Load failed; after each Restore
// "restored <width> <height>" or "restore failed: 0x<number> <description>"; after the second
// Load "second load: ok" or "second load failed: 0x<number> <description>".

#include "container/control_site.h"
#include "container/form.h"
#include "container/library_class.h"
#include "cutshape_h.h"
#include "cutshape_ids.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "tools/container_kinds/container_kind.h"
#include "win/com_error.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>

namespace {

using namespace cutshape;

void invoke(IDispatch* control, DISPID id, WORD flags, VARIANT* argument) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{argument, flags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                          argument ? 1u : 0u, flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                           nullptr, &exception, nullptr);
    if (status == DISP_E_EXCEPTION) {
        win::Error error(exception.scode,
                         exception.bstrDescription ? exception.bstrDescription : L"",
                         exception.bstrSource ? exception.bstrSource : L"");
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrHelpFile);
        throw error;
    }
    win::check(status, L"Invoke");
}

void reportSize(const char* label, HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    std::printf("%s %ld %ld\n", label, rect.right - rect.left, rect.bottom - rect.top);
    std::fflush(stdout);
}

void reportError(const char* label, const win::Error& error) {
    std::printf("%s: 0x%08lX %ls\n", label, static_cast<unsigned long>(error.number()),
                error.description().c_str());
    std::fflush(stdout);
}

// A failure is reported, not fatal: the host goes on with the form as the failed Load
// left it.
void loadSecond(IDispatch* control, const std::wstring& path) {
    try {
        const runtime::Picture picture = runtime::loadPicture(path);
        VARIANT value;
        value.vt = VT_DISPATCH;
        value.pdispVal = picture.dispatch().get();
        invoke(control, dispid::kLoad, DISPATCH_METHOD, &value);
        std::printf("second load: ok\n");
        std::fflush(stdout);
    } catch (const win::Error& error) {
        reportError("second load failed", error);
    }
}

int run(int argc, wchar_t** argv) {
    if (argc < 3)
        throw win::Error(E_INVALIDARG,
                         L"usage: control_host <Cutshape.ocx> <picture> "
                         L"[--title T] [--show-picture] [--borderless] [--mask auto|0xBBGGRR] "
                         L"[--container KIND] [--then <picture>]");
    std::wstring title = L"Cutshape host";
    bool showPicture = false;
    bool borderless = false; // a form without border and caption shows its picture in its outline
    std::wstring mask = L"auto";
    container_kinds::ContainerKind container = container_kinds::ContainerKind::Form;
    std::wstring secondPicture;
    for (int i = 3; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--title" && i + 1 < argc)
            title = argv[++i];
        else if (arg == L"--then" && i + 1 < argc)
            secondPicture = argv[++i];
        else if (arg == L"--show-picture")
            showPicture = true;
        else if (arg == L"--borderless")
            borderless = true;
        else if (arg == L"--mask" && i + 1 < argc)
            mask = argv[++i];
        else if (arg == L"--container" && i + 1 < argc) {
            const auto kind = container_kinds::containerKindNamed(argv[++i]);
            if (!kind)
                throw win::Error(E_INVALIDARG, L"unknown container kind: " + std::wstring(argv[i]));
            container = *kind;
        }
    }

    auto form = win::makeCom<container::Form>(
        container::FormDesign{title, 6000, 4500, borderless ? 0 : 2, true});
    const container_kinds::Presentation presentation =
        container_kinds::presentationOf(container, form);
    const auto site = container::ControlSite::host(
        form, container::createFromLibrary(argv[1], CLSID_Cutshape),
        {L"Cutshape1", true, RECT{0, 0, 36, 36}, presentation.extender}, nullptr);
    const win::ComPtr<IDispatch> control = site->control();

    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = showPicture ? VARIANT_TRUE : VARIANT_FALSE;
    invoke(control.get(), dispid::kShowPicture, DISPATCH_PROPERTYPUT, &value);
    value.boolVal = mask == L"auto" ? VARIANT_TRUE : VARIANT_FALSE;
    invoke(control.get(), dispid::kAutomaticMaskColor, DISPATCH_PROPERTYPUT, &value);
    if (mask != L"auto") {
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(std::wcstoul(mask.c_str(), nullptr, 0));
        invoke(control.get(), dispid::kMaskColor, DISPATCH_PROPERTYPUT, &value);
    }

    const runtime::Picture picture = runtime::loadPicture(argv[2]);
    value.vt = VT_DISPATCH;
    value.pdispVal = picture.dispatch().get();
    try {
        invoke(control.get(), dispid::kLoad, DISPATCH_METHOD, &value);
    } catch (const win::Error& error) {
        reportError("load failed", error);
    }

    form->onMouseDown([&](int button, int, float, float) {
        if (button == 1) {
            invoke(control.get(), dispid::kMove, DISPATCH_METHOD, nullptr);
        } else if (button == 2 && !secondPicture.empty()) {
            loadSecond(control.get(), std::exchange(secondPicture, std::wstring()));
        } else if (button == 2) {
            try {
                invoke(control.get(), dispid::kRestore, DISPATCH_METHOD, nullptr);
                reportSize("restored", form->hwnd());
            } catch (const win::Error& error) {
                reportError("restore failed", error);
            }
        }
    });
    form->onUnload([] { ::PostQuitMessage(0); });
    form->show();
    reportSize("shaped", form->hwnd());

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    site->close();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // As the project's programs are: the form is shaped in the screen's own pixels.
    runtime::declarePerMonitorDpiAwareness();
    ::OleInitialize(nullptr);
    int status = 0;
    try {
        status = run(argc, argv);
    } catch (const win::Error& error) {
        std::fwprintf(stderr, L"control_host: %ls (0x%08lX)\n", error.description().c_str(),
                      static_cast<unsigned long>(error.number()));
        status = 1;
    }
    ::OleUninitialize();
    return status;
}
