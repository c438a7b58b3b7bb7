// CutHOLE's event handlers and its one form-level variable, bHold. The picture is assigned
// to the control's Picture before Load is called without an argument.

#include "container/program.h"
#include "demos/control_members.h"
#include "runtime/app.h"
#include "runtime/host_services.h"
#include "runtime/picture.h"

namespace {

using namespace cutshape;
using container::EventArguments;
using container::FormInstance;

constexpr const wchar_t* kMessage = L"Try to move the Hole!";
constexpr const wchar_t* kMessageTitle = L"CutHOLE";
constexpr UINT kExclamation = 48;

// True: a left press on the form does not drag the window.
bool bHold = false;

void formInitialize(FormInstance& form, const EventArguments&) {
    {
        const runtime::App app(::GetModuleHandleW(nullptr));
        // Plain concatenation: no separator is added or removed.
        const runtime::Picture picture = runtime::loadPicture(app.path() + L"\\Hole.bmp");
        form.control("Cutshape1").putRef(demos::kPicture, picture);
    }
    form.control("Cutshape1").call(demos::kLoad);
}

void formMouseDown(FormInstance& form, const EventArguments& arguments) {
    if (arguments.button == demos::kLeftButton && !bHold)
        form.control("Cutshape1").call(demos::kMove);
}

void imgPlayClick(FormInstance& form, const EventArguments&) {
    bHold = false;
    runtime::msgBox(form.hwnd(), kMessage, kExclamation, kMessageTitle);
}

void imgStopClick(FormInstance& form, const EventArguments&) {
    bHold = true;
    runtime::msgBox(form.hwnd(), kMessage, kExclamation, kMessageTitle);
}

void imgCloseClick(FormInstance& form, const EventArguments&) {
    form.unload();
}

} // namespace

int wmain() {
    return container::runProgram("frmHole.form", {
                                                     {"Form_Initialize", formInitialize},
                                                     {"Form_MouseDown", formMouseDown},
                                                     {"imgPlay_Click", imgPlayClick},
                                                     {"imgStop_Click", imgStopClick},
                                                     {"imgClose_Click", imgCloseClick},
                                                 });
}
