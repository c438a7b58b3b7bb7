#pragma once
// The form that holds the control: the window the control shapes. A container whose extended
// control has a Parent that knows hwnd gives the control the form it was made for: it is
// reached only by member name, Picture (by reference), Width, Height (outer size in twips),
// hwnd, Refresh, BorderStyle and ShowInTaskbar, and every failing access throws the host's
// own error. Any other container (no extender, no Parent, or a Parent of unknown units
// without hwnd) offers the top-level window of the control's in-place site, which takes the
// same members directly.

#include "control/window_picture.h"
#include "runtime/picture.h"

#include <cstdint>
#include <memory>
#include <ocidl.h>

namespace cutshape::control {

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

// The host form of the control's site: the Parent of the site's extended control when it
// knows hwnd (asked through GetIDsOfNames, which changes nothing), else the site's top-level
// window as a form (windowAsHostForm), whose background pictures `pictures` keeps. Throws
// the runtime's "client site not available" error when there is neither.
std::unique_ptr<HostForm> hostFormOf(IOleClientSite* site, WindowPictures& pictures,
                                     const runtime::Resolution& at);

// A bare top-level window as a host form: its outer size in twips at the resolution `at`,
// its picture painted by `pictures`, its frame and taskbar button set directly. Every member
// throws the runtime's "client site not available" error once the window is gone.
std::unique_ptr<HostForm> windowAsHostForm(HWND window, WindowPictures& pictures,
                                           const runtime::Resolution& at);

} // namespace cutshape::control
