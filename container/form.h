#pragma once
// A form: a real top-level window whose members a hosted control reaches by name through
// IDispatch: Picture (painted as the background from the client area's top-left corner),
// Width and Height (outer size in twips), hwnd, Refresh, BorderStyle and ShowInTaskbar.

#include "container/automation_object.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "win/com_object.h"
#include "win/handles.h"
#include "win/message_window.h"

#include <functional>
#include <oaidl.h>
#include <optional>
#include <string>

namespace cutshape::container {

struct FormDesign {
    std::wstring caption;
    float widthTwips = 4800;
    float heightTwips = 3600;
    std::int32_t borderStyle = 2;
    bool showInTaskbar = true;
    // The client area's size; when given it wins over the outer width and height.
    float clientWidthTwips = -1;
    float clientHeightTwips = -1;
    bool minButton = true;
    bool maxButton = true;
};

class Form final : public win::ComObject<Form, win::Implements<IDispatch, AutomationObject>>,
                   private win::MessageHandler {
public:
    // Button 1 left, 2 right, 4 middle; x and y in twips from the client area's corner.
    using MouseDown = std::function<void(int button, int shift, float x, float y)>;

    explicit Form(const FormDesign& design);
    ~Form() override;

    HWND hwnd() const noexcept { return window_.get(); }
    const runtime::Picture& picture() const noexcept { return picture_; }
    void setPicture(runtime::Picture picture);
    void show();
    void onMouseDown(MouseDown handler) { mouseDown_ = std::move(handler); }
    // Sees every message before the form does; a value it returns is the message's result.
    // The container uses it for its controls' notifications, colours and cursors.
    using MessageFilter = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;
    void onMessage(MessageFilter filter) { filter_ = std::move(filter); }
    // Called once when the window closes.
    void onUnload(std::function<void()> handler) { unload_ = std::move(handler); }
    // Called when the form has taken a new resolution (WM_DPICHANGED) and the size the
    // system suggested for it: its controls are to be laid out again.
    void onResolutionChanged(std::function<void()> handler) {
        resolutionChanged_ = std::move(handler);
    }

    // The resolution the form lays itself out at: its window's when it was made (its monitor's
    // where the system has per-monitor resolutions, else the screen's), then the one the system
    // last told it of. Lengths the form converts (its Width and Height, mouse positions) go
    // by it.
    const runtime::Resolution& resolution() const noexcept { return resolution_; }

private:
    std::span<const DispatchMember> members() const noexcept override;
    const wchar_t* sourceName() const noexcept override { return L"Form"; }
    void invokeMember(DISPID id, DispatchCall& call) override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    win::UniqueWindow window_;
    runtime::Picture picture_;
    MouseDown mouseDown_;
    MessageFilter filter_;
    std::function<void()> unload_;
    std::function<void()> resolutionChanged_;
    runtime::Resolution resolution_;
};

} // namespace cutshape::container
