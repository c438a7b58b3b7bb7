#pragma once
// The form that holds the control, reached only through the members a host form offers:
// Picture (by reference), Width, Height (outer size in twips), hwnd, Refresh, BorderStyle
// and ShowInTaskbar. Containers that give the control an extender with a Parent form are
// called by member name; a container without one gets its top-level window behind the same
// members. Every failing access throws the host's own error unchanged.

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

// The form of the control's site: the Parent of the site's extended control, else the
// site's top-level window, whose background pictures `pictures` keeps. Throws the runtime's
// "client site not available" error when there is no site.
std::unique_ptr<HostForm> hostFormOf(IOleClientSite* site, WindowPictures& pictures);

// A top-level window driven as a form.
std::unique_ptr<HostForm> windowHostForm(HWND topLevel, WindowPictures& pictures);

} // namespace cutshape::control
