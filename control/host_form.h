#pragma once
// The form that holds the control. A container whose extended control has a Parent that
// knows hwnd gives the control the form it was made for: it is reached only by member name,
// Picture (by reference), Width, Height (outer size in twips), hwnd, Refresh, BorderStyle
// and ShowInTaskbar, and every failing access throws the host's own error. Any other
// container (no extender, no Parent, or a Parent of unknown units without hwnd) is driven
// through the top-level window of the control's in-place site.

#include "control/window_picture.h"
#include "runtime/picture.h"

#include <cstdint>
#include <memory>
#include <ocidl.h>
#include <variant>

namespace cutshape::control {

// The form reached by member name.
class HostForm {
public:
    virtual ~HostForm() = default;

    virtual void setPicture(const runtime::Picture& picture) = 0;
    virtual float width() = 0;
    virtual float height() = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
    virtual HWND hwnd() = 0;
    virtual void refresh() = 0;
    virtual void setBorderStyle(std::int32_t style) = 0;
    virtual bool showInTaskbar() = 0;
    virtual void setShowInTaskbar(bool show) = 0;
};

// A top-level window driven directly: sizes in pixels, SetWindowPos, the region, and a
// background picture that `pictures` paints.
struct HostWindow {
    HWND window = nullptr;
    WindowPictures* pictures = nullptr;
};

// Where an operation acts, chosen once before anything is written.
using Host = std::variant<std::unique_ptr<HostForm>, HostWindow>;

// The host of the control's site: the Parent of the site's extended control when it knows
// hwnd (asked through GetIDsOfNames, which changes nothing), else the site's top-level
// window, whose background pictures `pictures` keeps. Throws the runtime's "client site not
// available" error when there is neither.
Host hostOf(IOleClientSite* site, WindowPictures& pictures);

} // namespace cutshape::control
