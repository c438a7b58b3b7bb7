#include "container/form_instance.h"

#include "container/activex_control.h"
#include "container/bundled_files.h"
#include "container/common_dialog.h"
#include "container/cursor_file.h"
#include "forms/form_events.h"
#include "runtime/screen.h"
#include "win/text.h"

#include <algorithm>
#include <exception>

namespace cutshape::container {

using forms::ControlDescription;
using forms::ControlKind;
using forms::FormDescription;
using forms::TwipsRect;

namespace {

// Child window identifiers start above IDOK and IDCANCEL, which the dialog keys send.
constexpr int kFirstControlId = 100;

FormDesign designOf(const FormDescription& description) {
    FormDesign design;
    design.caption = win::widen(description.caption);
    design.borderStyle = description.borderStyle;
    design.showInTaskbar = description.showInTaskbar;
    design.clientWidthTwips = description.client.width;
    design.clientHeightTwips = description.client.height;
    design.minButton = description.minButton;
    design.maxButton = description.maxButton;
    return design;
}

// A handler whose name matches no event of the form would never run: the misspelling is
// reported when the form is made, not found when a click does nothing.
void checkHandlerNames(const FormDescription& description, const EventHandlers& handlers) {
    std::vector<std::string> names;
    for (const auto& entry : handlers)
        names.push_back(entry.first);
    const std::vector<std::string> unmatched = forms::unmatchedHandlers(description, names);
    if (unmatched.empty())
        return;
    std::wstring list;
    for (const std::string& name : unmatched)
        list += (list.empty() ? L"" : L", ") + win::widen(name);
    throw win::Error(DISP_E_UNKNOWNNAME, L"No event of form " + win::widen(description.name) +
                                             L" (" + win::widen(description.file) +
                                             L") matches the handler" +
                                             (unmatched.size() == 1 ? L" " : L"s ") + list + L".");
}

} // namespace

FormInstance::FormInstance(FormDescription description, EventHandlers handlers,
                           std::function<void(const win::Error&)> unhandled)
    : description_(std::move(description)), handlers_(std::move(handlers)),
      unhandled_(std::move(unhandled)) {
    checkHandlerNames(description_, handlers_);
}

FormInstance::~FormInstance() {
    unloaded_ = nullptr;
    unload();
}

void FormInstance::raise(std::string_view object, std::string_view event,
                         const EventArguments& arguments) {
    std::string name(object);
    name += '_';
    name += event;
    const auto handler = handlers_.find(name);
    if (handler != handlers_.end())
        handler->second(*this, arguments);
}

void FormInstance::raiseFromWindow(std::string_view object, std::string_view event,
                                   const EventArguments& arguments) noexcept {
    try {
        raise(object, event, arguments);
    } catch (const win::Error& error) {
        unhandled_(error);
    } catch (const std::exception& error) {
        unhandled_(win::Error(E_FAIL, win::widen(error.what())));
    } catch (...) {
        unhandled_(win::Error(E_UNEXPECTED, L"An unknown failure"));
    }
}

void FormInstance::load() {
    if (form_ || closed_)
        return;
    form_ = win::makeCom<Form>(designOf(description_));
    form_->onMouseDown([this](int button, int shift, float x, float y) {
        raiseFromWindow(forms::kFormObject, forms::events::kMouseDown,
                        EventArguments{button, shift, x, y});
    });
    form_->onMessage([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return filter(message, wParam, lParam);
    });
    form_->onUnload([this] { released(); });
    form_->onResolutionChanged([this] { layOut(); });
    loadControls();
    raise(forms::kFormObject, forms::events::kLoad);
}

void FormInstance::loadControls() {
    const runtime::Resolution& at = form_->resolution();
    tips_ = std::make_unique<ToolTips>(form_->hwnd());
    // Creation order is the tab order: controls with a tab index first, by that index.
    std::vector<const ControlDescription*> order;
    for (const ControlDescription& control : description_.controls)
        order.push_back(&control);
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        return a->tabIndex.value_or(0x7FFF) < b->tabIndex.value_or(0x7FFF);
    });
    int id = kFirstControlId;
    for (const ControlDescription* control : order) {
        if (control->kind == ControlKind::ActiveX &&
            control->className == CommonDialog::kClassName) {
            // The runtime's own file dialog: invisible, nothing stored, no site needed.
            activeX_.push_back({control, nullptr, win::makeCom<CommonDialog>().query<IDispatch>()});
            continue;
        }
        if (control->kind == ControlKind::ActiveX) {
            const win::ComPtr<IUnknown> instance = createActiveX(*control);
            const win::ComPtr<PropertyBag> stored = storedProperties(*control);
            ControlSite::Placement placement{win::widen(control->name), true,
                                             at.pixelRect(control->position.value_or(TwipsRect{}))};
            win::ComPtr<ControlSite> site =
                ControlSite::host(form_, instance, placement, stored.get());
            activeX_.push_back({control, site, automationInterface(*control, instance)});
            continue;
        }
        IntrinsicControl created = createIntrinsicControl(form_->hwnd(), *control, id++, at);
        if (!control->toolTip.empty())
            tips_->add(created.window, win::widen(control->toolTip));
        intrinsic_.push_back(std::move(created));
    }
}

void FormInstance::layOut() {
    const runtime::Resolution& at = form_->resolution();
    for (IntrinsicControl& control : intrinsic_)
        layOutIntrinsicControl(control, at);
    for (const SitedControl& control : activeX_)
        if (control.site)
            control.site->moveTo(at.pixelRect(control.description->position.value_or(TwipsRect{})));
}

void FormInstance::show() {
    load();
    if (!form_)
        return;
    form_->show();
    if (HWND first = ::GetNextDlgTabItem(form_->hwnd(), nullptr, FALSE))
        ::SetFocus(first);
}

void FormInstance::unload() {
    if (form_ && form_->hwnd())
        ::DestroyWindow(form_->hwnd()); // WM_DESTROY releases the controls
    else
        released();
}

void FormInstance::released() noexcept {
    if (closed_)
        return;
    closed_ = true;
    for (SitedControl& control : activeX_) {
        control.automation.reset();
        if (control.site)
            control.site->close();
    }
    activeX_.clear();
    if (unloaded_)
        unloaded_();
}

runtime::LateBound FormInstance::control(std::string_view controlName) {
    load();
    for (const SitedControl& control : activeX_)
        if (control.description->name == controlName)
            return runtime::LateBound(control.automation);
    throw win::Error(DISP_E_UNKNOWNNAME,
                     L"The form has no ActiveX control " + win::widen(controlName) + L".");
}

std::optional<LRESULT> FormInstance::filter(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // BN_CLICKED and STN_CLICKED are both 0: a click on a button, label or image.
        if (HIWORD(wParam) == 0 && lParam)
            for (const IntrinsicControl& control : intrinsic_)
                if (control.window == reinterpret_cast<HWND>(lParam)) {
                    raiseFromWindow(control.description->name, forms::events::kClick, {});
                    return 0;
                }
        return std::nullopt;
    case WM_CTLCOLORSTATIC:
        // Labels draw in the runtime's default colours: button text on the button face.
        for (const IntrinsicControl& control : intrinsic_)
            if (control.description->kind == ControlKind::Label &&
                control.window == reinterpret_cast<HWND>(lParam)) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
                ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            }
        return std::nullopt;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT)
            for (const IntrinsicControl& control : intrinsic_)
                if (control.cursor && control.window == reinterpret_cast<HWND>(wParam)) {
                    ::SetCursor(control.cursor.get());
                    return TRUE;
                }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace cutshape::container
