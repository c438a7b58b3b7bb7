// Load through IDispatch on a control hosted on a shown form of the project's runtime, the
// way a program calls it, beside the floor: one IPicture::Render of the same picture into an
// existing 32-bit image plus the window system's own SetWindowRgn with the same region. The
// parts of a Load are timed one by one in this process with the same code the control runs:
// staging (the picture drawn into the staged image), scan (runs and bands), region creation,
// and SetWindowRgn.

#include "bench/load_bench.h"

#include "bench/measure.h"
#include "container/control_site.h"
#include "container/form.h"
#include "container/library_class.h"
#include "control/region_builder.h"
#include "core/band_builder.h"
#include "cutshape_h.h"
#include "cutshape_ids.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "tests/support/picture_files.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/region.h"
#include "win/window_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace cutshape::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr core::Color kWhite = 0x00FFFFFF;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

HRESULT invoke(IDispatch* control, DISPID id, WORD flags, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS parameters{&value, put ? &named : nullptr, 1, put ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                           nullptr, &exception, nullptr);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return status == DISP_E_EXCEPTION ? exception.scode : status;
}

// The benchmark's X screen may be smaller than its pictures, and the window system keeps
// a window within the screen's size; a program's form fits its screen. So the form is
// allowed any size here.
WNDPROC formProc = nullptr;
LRESULT CALLBACK anySizeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallWindowProcW(formProc, window, message, wParam, lParam);
    if (message == WM_GETMINMAXINFO)
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = POINT{16384, 16384};
    return result;
}

struct Case {
    const char* name;
    test::Image image;
};

// The control from the library on a shown form of the project's runtime that may take any
// size.
struct BenchHost {
    win::ComPtr<container::Form> form;
    win::ComPtr<container::ControlSite> site;
    win::ComPtr<IDispatch> control;

    BenchHost(const wchar_t* title, const std::wstring& libraryPath)
        : form(win::makeCom<container::Form>(container::FormDesign{title, 6000, 4500, 0, true})),
          site(container::ControlSite::host(
              form, container::createFromLibrary(libraryPath, CLSID_Cutshape),
              {L"Cutshape1", true, RECT{0, 0, 36, 36}}, nullptr)),
          control(site->control()) {
        formProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            form->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&anySizeProc)));
        form->show();
    }
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;
    ~BenchHost() { site->close(); }

    void put(DISPID id, VARIANT value, const wchar_t* name) const {
        win::check(invoke(control.get(), id, DISPATCH_PROPERTYPUT, value), name);
    }
};

VARIANT booleanValue(bool value) {
    VARIANT variant{};
    variant.vt = VT_BOOL;
    variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return variant;
}

} // namespace

void printLoadFloor(const test::TempFolder& folder, const std::wstring& libraryPath,
                    bool skipOverLimit) {
    const Case cases[] = {
        {"figure 350x406", test::makeFigure(350, 406)},
        {"figure 1920x1080", test::makeFigure(1920, 1080)},
        {"text page 1920x1080", test::makeTextPage(1920, 1080)},
    };
    const BenchHost host(L"Load bench", libraryPath);
    IDispatch* const control = host.control.get();
    host.put(dispid::kAutomaticMaskColor, booleanValue(false), L"AutomaticMaskColor");
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(kWhite);
    host.put(dispid::kMaskColor, value, L"MaskColor");
    const HWND window = host.form->hwnd();
    const std::optional<std::size_t> limit = win::windowRegionRectLimit();

    std::printf("\nLoad through IDispatch on a shown form (%ls), median ms; its parts timed "
                "alone in this process;\nfloor = one IPicture::Render into an existing 32-bit "
                "image + SetWindowRgn alone with the same region\n\n",
                libraryPath.c_str());
    std::printf("%-20s %8s %9s %9s %9s %9s %9s %10s %9s %9s %9s %9s\n", "picture", "rects",
                "1st Load", "Load", "staging", "scan", "region", "SetWinRgn", "parts", "render",
                "floor", "Load/floor");
    for (const Case& c : cases) {
        const runtime::Picture picture =
            runtime::loadPicture(folder.write(L"load.bmp", test::writeBmp24(c.image)).wstring());

        // The parts, with the buffers and images kept between repeats as the control keeps
        // them.
        runtime::StagedPicture staging;
        const double stagingMs = medianMs(9, [&] {
            staging.stage(picture, runtime::screenResolution());
            ::GdiFlush();
        });
        core::BandScanner scanner;
        core::BandScanner::Result bands;
        const double scanMs = medianMs(21, [&] {
            bands = scanner.scan(staging.pixels(), c.image.width(), c.image.height(), kWhite);
        });
        win::DibSurface surface(c.image.width(), c.image.height());
        const SIZE size{c.image.width(), c.image.height()};
        const bool overLimit = limit && bands.rects.size() > *limit;
        // A refused outline gets no region: the refusal goes by the scan's count.
        const double regionMs =
            overLimit ? -1 : medianMs(9, [&] { (void)win::createRegion(bands.rects); });

        // Load, the first time for this picture (a new size) and then again.
        if (overLimit && skipOverLimit) {
            std::printf("%-20s %8zu   (over the window system's limit: not loaded)\n", c.name,
                        bands.rects.size());
            continue;
        }
        value.vt = VT_DISPATCH;
        value.pdispVal = picture.dispatch().get();
        const auto firstStart = Clock::now();
        const HRESULT firstStatus = invoke(control, dispid::kLoad, DISPATCH_METHOD, value);
        const double firstMs = msSince(firstStart);

        // Load and its floor in turns, so that both see the same load on the machine.
        HRESULT status = S_OK;
        std::vector<double> loads, renders, setRegions;
        for (int i = 0; i < 15; ++i) {
            auto start = Clock::now();
            status = invoke(control, dispid::kLoad, DISPATCH_METHOD, value);
            loads.push_back(msSince(start));
            start = Clock::now();
            picture.renderAtOrigin(surface.dc(), size);
            ::GdiFlush();
            renders.push_back(msSince(start));
            if (overLimit)
                continue;
            win::UniqueRegion region = win::createRegion(bands.rects);
            start = Clock::now();
            ::SetWindowRgn(window, region.get(), TRUE);
            setRegions.push_back(msSince(start));
            (void)region.release(); // the window owns it now
        }
        const double loadMs = median(loads);
        const double renderMs = median(renders);
        const double setRegionMs = overLimit ? -1 : median(setRegions);
        const double parts =
            stagingMs + scanMs + std::max(regionMs, 0.0) + std::max(setRegionMs, 0.0);
        const double floor = renderMs + std::max(setRegionMs, 0.0);
        RECT placed{};
        ::GetWindowRect(window, &placed);
        if (placed.right - placed.left != size.cx || placed.bottom - placed.top != size.cy)
            std::printf("(the form is %ldx%ld, not the picture's size)\n",
                        placed.right - placed.left, placed.bottom - placed.top);
        std::printf("%-20s %8zu %9.2f %9.2f %9.2f %9.3f", c.name, bands.rects.size(), firstMs,
                    loadMs, stagingMs, scanMs);
        if (overLimit)
            std::printf(" %9s %10s", "none", "refused");
        else
            std::printf(" %9.2f %10.2f", regionMs, setRegionMs);
        std::printf(" %9.2f %9.2f %9.2f %9.2f", parts, renderMs, floor, loadMs / floor);
        if (FAILED(firstStatus) || FAILED(status))
            std::printf("  (Load: 0x%08lX)", static_cast<unsigned long>(status));
        std::printf("\n");
    }
    std::printf("A Load refused for its outline ends after the scan, before any region is made; "
                "its floor is the\nrender alone.\n");
}

void printSoftEdgeCost(const test::TempFolder& folder, const std::wstring& libraryPath) {
    const BenchHost host(L"Soft edge bench", libraryPath);
    IDispatch* const control = host.control.get();
    host.put(dispid::kAutomaticMaskColor, booleanValue(true), L"AutomaticMaskColor");
    host.put(dispid::kShowPicture, booleanValue(true), L"ShowPicture");
    VARIANT value{};

    std::printf("\nLoad with a soft edge: a picture with a fringe beside the same picture with "
                "its alpha cut to 0 and 255,\nLoads in turns on a shown form, median ms\n\n");
    std::printf("%-12s %13s %11s %11s %11s\n", "picture", "fringe pixels", "Load soft", "Load cut",
                "soft/cut");
    for (const SIZE size : {SIZE{220, 170}, SIZE{1920, 1080}}) {
        const test::AlphaImage soft = test::makeSoftFigure(size.cx, size.cy);
        const std::size_t fringe =
            std::count_if(soft.words.begin(), soft.words.end(), [](std::uint32_t word) {
                return (word >> 24) > 0 && (word >> 24) < core::kFigureAlpha;
            });
        const runtime::Picture softPicture =
            runtime::loadPicture(folder.write(L"soft.bmp", test::writeBmp32(soft)).wstring());
        const runtime::Picture cutPicture = runtime::loadPicture(
            folder.write(L"cut.bmp", test::writeBmp32(test::withoutFringe(soft))).wstring());
        std::vector<double> softMs, cutMs;
        HRESULT status = S_OK;
        for (int i = 0; i < 16; ++i) {
            for (const auto& [picture, times] :
                 {std::pair{&softPicture, &softMs}, std::pair{&cutPicture, &cutMs}}) {
                value.vt = VT_DISPATCH;
                value.pdispVal = picture->dispatch().get();
                const auto start = Clock::now();
                const HRESULT loaded = invoke(control, dispid::kLoad, DISPATCH_METHOD, value);
                // Whatever the window system still owes the edge and the form is part of it.
                ::GdiFlush();
                times->push_back(msSince(start));
                status = FAILED(loaded) ? loaded : status;
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "%ldx%ld", size.cx, size.cy);
        std::printf("%-12s %13zu %11.2f %11.2f %11.2f", name, fringe, median(softMs), median(cutMs),
                    median(softMs) / median(cutMs));
        if (FAILED(status))
            std::printf("  (Load: 0x%08lX)", static_cast<unsigned long>(status));
        std::printf("\n");
    }
}

} // namespace cutshape::bench
