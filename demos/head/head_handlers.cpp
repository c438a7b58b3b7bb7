// CutHEAD's event handlers. Cutshape1 restores the head picture from the form's stored set
// when the form loads, so Load without an argument shapes the window to the head.

#include "container/program.h"
#include "container/resume_next.h"
#include "demos/control_members.h"
#include "runtime/picture.h"

namespace {

using namespace cutshape;
using container::EventArguments;
using container::FormInstance;

// The file dialog's members, by dispatch identifier.
constexpr DISPID kFileName = 1;
constexpr DISPID kDialogTitle = 2;
constexpr DISPID kFilter = 3;
constexpr DISPID kFlags = 7;
constexpr DISPID kCancelError = 18;
constexpr DISPID kAction = 26;

constexpr long kCancelled = 32755;
constexpr LONG kOpenFlags = 0x201004; // long names, the file must exist, no read-only box
constexpr SHORT kShowOpen = 1;

void formInitialize(FormInstance& form, const EventArguments&) {
    form.control("Cutshape1").call(demos::kLoad);
}

void imgSelectClick(FormInstance& form, const EventArguments&) {
    container::ResumeNext trap;
    trap.run([&] { form.control("CommonDialog1").put(kCancelError, true); });
    trap.run([&] {
        form.control("CommonDialog1")
            .put(kDialogTitle, L"Select an image with a solid background color");
    });
    trap.run([&] {
        form.control("CommonDialog1")
            .put(kFilter, L"Pictures (*.bmp;*.gif;*.jpg;*.ico)|*.bmp;*.gif;*.jpg;*.ico");
    });
    trap.run([&] {
        VARIANT flags;
        ::VariantInit(&flags);
        flags.vt = VT_I4;
        flags.lVal = kOpenFlags;
        form.control("CommonDialog1").put(kFlags, flags);
    });
    trap.run([&] {
        VARIANT action;
        ::VariantInit(&action);
        action.vt = VT_I2;
        action.iVal = kShowOpen;
        form.control("CommonDialog1").put(kAction, action);
    });
    if (trap.number() == kCancelled)
        return;
    // Trapping is off from here: a file that is no picture ends the program.
    const win::Variant fileName = form.control("CommonDialog1").get(kFileName).as(VT_BSTR);
    const runtime::Picture picture = runtime::loadPicture(fileName.get()->bstrVal);
    form.control("Cutshape1").call(demos::kLoad, picture);
}

void formMouseDown(FormInstance& form, const EventArguments& arguments) {
    if (arguments.button == demos::kLeftButton)
        form.control("Cutshape1").call(demos::kMove);
}

void imgCloseClick(FormInstance& form, const EventArguments&) {
    form.unload();
}

} // namespace

int wmain() {
    return container::runProgram("frmHead.form", {
                                                     {"Form_Initialize", formInitialize},
                                                     {"imgSelect_Click", imgSelectClick},
                                                     {"Form_MouseDown", formMouseDown},
                                                     {"imgClose_Click", imgCloseClick},
                                                 });
}
