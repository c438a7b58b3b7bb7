#pragma once
// A form of a running program, made from its description. It exists before it is loaded:
// the first use of one of its controls (or showing it) loads it: the window, the runtime's
// own controls in tab order, then each ActiveX control (instance, client site, stored
// properties). Window events reach the program's handlers, named object_event
// (Form_MouseDown, cmdEarth_Click, imgClose_Click, ...); a handler named after no event of
// the form is refused when the form is made.

#include "container/control_site.h"
#include "container/form.h"
#include "container/intrinsic_control.h"
#include "container/tool_tips.h"
#include "forms/form_description.h"
#include "runtime/late_bound.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cutshape::container {

struct EventArguments {
    int button = 0; // mouse events: 1 left, 2 right, 4 middle
    int shift = 0;
    float x = 0; // twips from the client area's corner
    float y = 0;
};

class FormInstance;
using EventHandler = std::function<void(FormInstance& form, const EventArguments& arguments)>;
using EventHandlers = std::map<std::string, EventHandler, std::less<>>;

class FormInstance {
public:
    // `unhandled` receives the errors of handlers run by window events. Throws
    // DISP_E_UNKNOWNNAME naming each handler that matches no event the form raises.
    FormInstance(forms::FormDescription description, EventHandlers handlers,
                 std::function<void(const win::Error&)> unhandled);
    ~FormInstance();
    FormInstance(const FormInstance&) = delete;
    FormInstance& operator=(const FormInstance&) = delete;

    // Runs the handler object_event if the program has one; its errors reach the caller.
    void raise(std::string_view object, std::string_view event,
               const EventArguments& arguments = {});

    bool isLoaded() const noexcept { return static_cast<bool>(form_); }
    void load();
    // Loads the form if needed, shows it and gives the first tab stop the focus.
    void show();
    // Closes the window and releases the controls (Unload).
    void unload();
    // Called once the form has been unloaded.
    void onUnloaded(std::function<void()> handler) { unloaded_ = std::move(handler); }

    // An ActiveX control of the form, loading the form first; throws for unknown names.
    runtime::LateBound control(std::string_view name);
    HWND hwnd() const noexcept { return form_ ? form_->hwnd() : nullptr; }
    const std::string& name() const noexcept { return description_.name; }

private:
    struct SitedControl {
        const forms::ControlDescription* description; // in description_
        win::ComPtr<ControlSite> site;
        win::ComPtr<IDispatch> automation;
    };

    void loadControls();
    // Lays the controls out again at the form's resolution, once it has changed.
    void layOut();
    void raiseFromWindow(std::string_view object, std::string_view event,
                         const EventArguments& arguments) noexcept;
    std::optional<LRESULT> filter(UINT message, WPARAM wParam, LPARAM lParam);
    void released() noexcept;

    forms::FormDescription description_;
    EventHandlers handlers_;
    std::function<void(const win::Error&)> unhandled_;
    std::function<void()> unloaded_;
    win::ComPtr<Form> form_;
    std::unique_ptr<ToolTips> tips_;
    std::vector<IntrinsicControl> intrinsic_;
    std::vector<SitedControl> activeX_;
    bool closed_ = false;
};

} // namespace cutshape::container
