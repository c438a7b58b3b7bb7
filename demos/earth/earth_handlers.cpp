// CutEARTH's event handlers. The runtime loads frmEarth when Form_Initialize first uses
// Cutshape1, so the control has read its stored set before Load is called.

#include "container/program.h"
#include "demos/control_members.h"
#include "runtime/app.h"
#include "runtime/picture.h"

namespace {

using namespace cutshape;
using container::EventArguments;
using container::FormInstance;

void formInitialize(FormInstance& form, const EventArguments&) {
    const runtime::App app(::GetModuleHandleW(nullptr));
    // Plain concatenation: no separator is added or removed.
    const runtime::Picture picture = runtime::loadPicture(app.path() + L"\\Earth.gif");
    form.control("Cutshape1").call(demos::kLoad, picture);
}

void cmdEarthClick(FormInstance& form, const EventArguments&) {
    form.control("Cutshape1").call(demos::kLoad);
}

void cmdRestoreClick(FormInstance& form, const EventArguments&) {
    form.control("Cutshape1").call(demos::kRestore);
}

void imgCloseClick(FormInstance& form, const EventArguments&) {
    form.unload();
}

void formMouseDown(FormInstance& form, const EventArguments& arguments) {
    if (arguments.button == demos::kLeftButton)
        form.control("Cutshape1").call(demos::kMove);
}

} // namespace

int wmain() {
    return container::runProgram("frmEarth.form", {
                                                      {"Form_Initialize", formInitialize},
                                                      {"cmdEarth_Click", cmdEarthClick},
                                                      {"cmdRestore_Click", cmdRestoreClick},
                                                      {"imgClose_Click", imgCloseClick},
                                                      {"Form_MouseDown", formMouseDown},
                                                  });
}
