#include "control/about/about_dialog.h"

#include "control/about/about_resources.h"
#include "control/about/modal_dialog.h"
#include "control/about/system_info.h"
#include "runtime/app.h"
#include "runtime/screen.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/handles.h"
#include "win/module.h"

#include <array>
#include <cmath>
#include <string>

namespace cutshape::control::about {
namespace {

// A fixed dialog frame: caption and close box, no resizing, no minimise or maximise box.
constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr float kClientWidthTwips = 5940;
constexpr float kClientHeightTwips = 3555;

enum ControlId : int {
    kCloseId = IDOK,
    kSysInfoId = 100,
    kIconId,
    kTitleId,
    kVersionId,
    kDescriptionId,
    kDisclaimerId,
    kNoticeId,
};

enum class Text { Black, Default };

struct ControlDesign {
    int id;
    const wchar_t* windowClass;
    DWORD style;
    DWORD extendedStyle;
    core::TwipsRect place;
    int captionId; // a string of the library's, 0 for none
    bool sizesToText;
    bool bold;
    Text text;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;

// In tab order: the dialog manager moves the focus in creation order, and the labels take
// no focus. The captions of the two labels filled at load are their design placeholders.
constexpr std::array kControls = {
    ControlDesign{kCloseId,
                  L"BUTTON",
                  kChild | WS_TABSTOP | BS_DEFPUSHBUTTON,
                  0,
                  {4485, 2625, 1320, 345},
                  CUTSHAPE_STRING_ABOUT_CLOSE,
                  false,
                  false,
                  Text::Default},
    ControlDesign{kIconId,
                  L"STATIC",
                  kChild | WS_TABSTOP | SS_ICON | SS_CENTERIMAGE,
                  WS_EX_CLIENTEDGE,
                  {240, 240, 540, 540},
                  0,
                  false,
                  false,
                  Text::Default},
    ControlDesign{kSysInfoId,
                  L"BUTTON",
                  kChild | WS_TABSTOP | BS_PUSHBUTTON,
                  0,
                  {4485, 3075, 1305, 345},
                  CUTSHAPE_STRING_ABOUT_SYSTEM_INFO,
                  false,
                  false,
                  Text::Default},
    ControlDesign{kTitleId,
                  L"STATIC",
                  kLabel,
                  0,
                  {1050, 240, 1575, 195},
                  CUTSHAPE_STRING_ABOUT_TITLE,
                  true,
                  false,
                  Text::Black},
    ControlDesign{kVersionId,
                  L"STATIC",
                  kLabel,
                  0,
                  {1050, 585, 525, 195},
                  CUTSHAPE_STRING_ABOUT_VERSION,
                  true,
                  false,
                  Text::Default},
    ControlDesign{kDescriptionId,
                  L"STATIC",
                  kLabel,
                  0,
                  {1440, 1140, 3195, 645},
                  CUTSHAPE_STRING_ABOUT_DESCRIPTION,
                  false,
                  false,
                  Text::Black},
    ControlDesign{kDisclaimerId,
                  L"STATIC",
                  kLabel,
                  0,
                  {60, 2505, 780, 195},
                  CUTSHAPE_STRING_ABOUT_DISCLAIMER,
                  true,
                  true,
                  Text::Black},
    ControlDesign{kNoticeId,
                  L"STATIC",
                  kLabel,
                  0,
                  {960, 2505, 3390, 960},
                  CUTSHAPE_STRING_ABOUT_NOTICE,
                  false,
                  false,
                  Text::Default},
};

// The etched separator under the notices: a grey line with a white line, two pixels
// wide, just below and to its right.
struct TwipsLine {
    float x1, y1, x2;
    COLORREF colour;
    int widthPx;
};
constexpr std::array kSeparator = {
    TwipsLine{90, 2445, 5654, RGB(0x80, 0x80, 0x80), 1},
    TwipsLine{105, 2460, 5654, RGB(0xFF, 0xFF, 0xFF), 2},
};

// The face named by the library's strings ("MS Sans Serif"), 8.25 pt at the resolution `at`.
win::UniqueFont createDialogFont(const std::wstring& face, bool bold,
                                 const runtime::Resolution& at) {
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(825, at.dpiY, 7200);
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    win::UniqueFont font(::CreateFontIndirectW(&description));
    if (!font)
        throw win::Error(E_OUTOFMEMORY, L"Creating the dialog's font");
    return font;
}

// The library's icon at `sizePx`; none when the module lacks it (the texts, by contrast,
// must be there: win::moduleString throws without them).
win::UniqueIcon loadIcon(HMODULE module, int id, int sizePx) noexcept {
    return win::UniqueIcon(static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, sizePx, sizePx, LR_DEFAULTCOLOR)));
}

// Makes a label exactly as large as its one line of text.
void sizeToText(HWND label, HFONT font) {
    const int length = ::GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(label, text.data(), length + 1);
    const win::UniqueWindowDc dc = win::GetDC(label);
    const win::UniqueSelection selected(dc.get(), font);
    SIZE extent{};
    TEXTMETRICW metrics{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), length, &extent);
    ::GetTextMetricsW(dc.get(), &metrics);
    ::SetWindowPos(label, nullptr, 0, 0, extent.cx, metrics.tmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class AboutDialog final : public ModalDialog {
public:
    explicit AboutDialog(HMODULE module) : module_(module), app_(module) {}

    void show() { run(module_, text(CUTSHAPE_STRING_ABOUT_CAPTION), kFrameStyle); }

private:
    bool onInitialize() override {
        const std::wstring face = text(CUTSHAPE_STRING_ABOUT_FONT);
        regularFont_ = createDialogFont(face, false, at_);
        boldFont_ = createDialogFont(face, true, at_);
        placeFrame();
        for (const ControlDesign& design : kControls)
            createControl(design);
        questionIcon_ = loadIcon(module_, CUTSHAPE_ICON_QUESTION, 32);
        smallQuestionIcon_ =
            loadIcon(module_, CUTSHAPE_ICON_QUESTION, ::GetSystemMetrics(SM_CXSMICON));
        tabletIcon_ = loadIcon(module_, CUTSHAPE_ICON_TABLET, 32);
        ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(questionIcon_.get()));
        ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                       reinterpret_cast<LPARAM>(smallQuestionIcon_.get()));
        ::SendDlgItemMessageW(hwnd(), kIconId, STM_SETICON,
                              reinterpret_cast<WPARAM>(tabletIcon_.get()), 0);
        ::SendMessageW(hwnd(), DM_SETDEFID, kCloseId, 0);
        showVersionAndTitle();
        return true; // the focus goes to the first tab stop, Close
    }

    // The captions made from the library's version and title.
    void showVersionAndTitle() {
        setCaption(kVersionId, text(CUTSHAPE_STRING_ABOUT_VERSION) + L" " +
                                   std::to_wstring(app_.major()) + L"." +
                                   std::to_wstring(app_.minor()) + L"." +
                                   std::to_wstring(app_.revision()));
        setCaption(kTitleId, app_.title() + text(CUTSHAPE_STRING_ABOUT_TITLE_SUFFIX));
    }

    std::wstring text(int id) const { return win::moduleString(module_, id); }

    void setCaption(int id, const std::wstring& caption) {
        const HWND label = ::GetDlgItem(hwnd(), id);
        ::SetWindowTextW(label, caption.c_str());
        sizeToText(label, fontOf(id));
    }

    std::optional<INT_PTR> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case kCloseId:
            case IDCANCEL: // Esc, and the close box through the dialog manager
                end(kCloseId);
                return 0;
            case kSysInfoId:
                startSysInfo(hwnd(), app_.title());
                return 0;
            default:
                return std::nullopt;
            }
        case WM_CLOSE:
            end(kCloseId);
            return 0;
        case WM_CTLCOLORSTATIC:
            return colourLabel(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_PAINT:
            paintSeparator();
            return 0;
        default:
            return std::nullopt;
        }
    }

    void placeFrame() {
        RECT frame{0, 0, at_.pixelsX(kClientWidthTwips), at_.pixelsY(kClientHeightTwips)};
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_STYLE));
        const auto extendedStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
        ::AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                       work.top + (work.bottom - work.top - height) / 2, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void createControl(const ControlDesign& design) {
        const RECT place = at_.pixelRect(design.place);
        const std::wstring caption = design.captionId ? text(design.captionId) : std::wstring();
        const HWND control = ::CreateWindowExW(
            design.extendedStyle, design.windowClass, caption.c_str(), design.style, place.left,
            place.top, place.right - place.left, place.bottom - place.top, hwnd(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), module_, nullptr);
        if (!control)
            win::throwLastError(L"Creating a control of the About box");
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(design.id)), FALSE);
        if (design.sizesToText)
            sizeToText(control, fontOf(design.id));
    }

    HFONT fontOf(int id) const noexcept {
        return id == kDisclaimerId ? boldFont_.get() : regularFont_.get();
    }

    INT_PTR colourLabel(HDC dc, HWND label) const noexcept {
        const int id = ::GetDlgCtrlID(label);
        Text text = Text::Default;
        for (const ControlDesign& design : kControls)
            if (design.id == id)
                text = design.text;
        ::SetTextColor(dc, text == Text::Black ? RGB(0, 0, 0) : ::GetSysColor(COLOR_BTNTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }

    void paintSeparator() const {
        const win::UniquePaintDc dc(hwnd());
        if (!dc)
            return;
        for (const TwipsLine& line : kSeparator) {
            const win::UniqueBrush brush(::CreateSolidBrush(line.colour));
            const int top = at_.pixelsY(line.y1);
            const RECT pixels{at_.pixelsX(line.x1), top, at_.pixelsX(line.x2), top + line.widthPx};
            if (brush)
                ::FillRect(dc.get(), &pixels, brush.get());
        }
    }

    HMODULE module_;
    runtime::App app_;
    // The dialog is laid out at the screen's resolution, read once as it opens.
    runtime::Resolution at_ = runtime::screenResolution();
    win::UniqueFont regularFont_;
    win::UniqueFont boldFont_;
    win::UniqueIcon questionIcon_;
    win::UniqueIcon smallQuestionIcon_;
    win::UniqueIcon tabletIcon_;
};

} // namespace

void showAboutDialog(HMODULE module) {
    AboutDialog dialog(module);
    dialog.show();
}

} // namespace cutshape::control::about
