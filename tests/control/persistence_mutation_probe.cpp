// Loads mutants of a valid saved state into fresh hosted controls, each bounded in time:
//   persistence_mutation_probe stream|bag <first> <count> <stride>
// It takes mutants first, first + stride, ... up to first + count (stride 1: all of them).
// A stream mutant goes to IPersistStreamInit::Load; a property-set mutant to
// IPersistPropertyBag::Load, every other one through the container's hosting instead. A
// mutant that loads must leave readable properties, and Load and Restore on it must answer.
// Afterwards a fresh control still loads the valid state and shapes and restores its form,
// and no control object is left alive. Prints "mutants <n> of <all there are>" and a count
// per outcome.
// Exit code 0 when all holds, 1 when not, 2 for bad arguments, 3 when the set-up failed;
// a mutant that does not return ends the probe with CaseWatchdog::kHangExitCode.

#include "runtime/picture.h"
#include "runtime/staged_picture.h"
#include "tests/control/bag_mutants.h"
#include "tests/control/control_harness.h"
#include "tests/control/shaping_check.h"
#include "tests/control/stored_forms.h"
#include "tests/control/stream_mutants.h"
#include "tests/support/case_watchdog.h"
#include "tests/support/fake_picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/region.h"

#include <cstdio>
#include <map>
#include <optional>

namespace {

using namespace cutshape;
using namespace cutshape::test;
using namespace std::chrono_literals;

constexpr auto kMutantLimit = 30s;

const container::FormDesign kDesign{L"Persistence mutants"};

// The valid state: the bitmap case that an earlier build stored, as a stream and as a
// property set with every value, the properties cases.txt says it holds, and its picture file
// as the picture loader draws it.
struct ValidSave {
    StoredCase stored = storedCase("bitmap");
    runtime::StagedPicture figure;
    std::vector<std::uint8_t> stream = bytesOfHex(storedFormFile(stored.name + ".stream.hex"));
    std::vector<runtime::Picture> pictures;
    win::ComPtr<container::PropertyBag> bag =
        bagOfText(storedFormFile(stored.name + ".bag-all.txt"), pictures);

    ValidSave() { figure.stage(storedPicture(stored.picture), runtime::screenResolution()); }
    core::Color maskColor() const {
        return stored.automaticMaskColor ? ::GetPixel(figure.hDC(), 0, 0)
                                         : static_cast<core::Color>(stored.maskColor);
    }
};

struct Tally {
    long long mutants = 0;
    std::map<std::string, long long> outcomes;
    ProbeFaults faults;

    void fault(const std::string& mutant, const std::string& text) {
        faults.add(mutant + ": " + text);
    }
};

// What a control that took a mutant shows: properties of their types, and Load and Restore
// that answer (with success or an automation error).
void examineRestored(const HostedControl& hosted, const std::string& mutant, Tally& tally,
                     std::string& outcome) {
    IDispatch* control = hosted.control.get();
    for (const DISPID id : {dispid::kShowPicture, dispid::kAutomaticMaskColor}) {
        const Call read = get(control, id);
        const VARIANT& value = *read.result.get();
        if (read.status != S_OK || value.vt != VT_BOOL ||
            (value.boolVal != VARIANT_TRUE && value.boolVal != VARIANT_FALSE))
            tally.fault(mutant, "a Boolean property reads back as status " + hexOf(read.status) +
                                    ", type " + std::to_string(value.vt));
    }
    if (const Call read = get(control, dispid::kMaskColor); read.status != S_OK)
        tally.fault(mutant, "MaskColor cannot be read: " + hexOf(read.status));
    if (const Call read = get(control, dispid::kPicture);
        read.status != S_OK || read.result.get()->vt != VT_DISPATCH)
        tally.fault(mutant, "Picture cannot be read: " + hexOf(read.status));
    const Call load = call(control, dispid::kLoad);
    const Call restore = call(control, dispid::kRestore);
    for (const Call* answered : {&load, &restore})
        if (answered->status != S_OK && answered->status != DISP_E_EXCEPTION)
            tally.fault(mutant, "Load or Restore answered " + hexOf(answered->status));
    outcome += "; Load " + hexOf(load.status == DISP_E_EXCEPTION ? load.exception.scode : S_OK) +
               "; Restore " +
               hexOf(restore.status == DISP_E_EXCEPTION ? restore.exception.scode : S_OK);
}

// Fills the stack below the caller with a pattern, so that a callee that reads storage it
// never wrote (such as a value a bag claimed to deliver but left alone) meets an invalid
// pointer instead of the zeros of a fresh stack.
[[gnu::noinline]] void scribbleOnStack() {
    volatile std::uint8_t area[32 * 1024];
    for (volatile std::uint8_t& byte : area)
        byte = 0xA5;
}

// Each mutant goes into a fresh control on `form`: one form serves all of them, since a
// window per mutant would cost more than everything else a mutant does.
HRESULT loadStream(const win::ComPtr<container::Form>& form, const std::vector<std::uint8_t>& bytes,
                   std::optional<HostedControl>& hosted) {
    hosted.emplace(form, true);
    const auto persist = hosted->control.query<IPersistStreamInit>();
    const win::ComPtr<IStream> stream = memoryStream(bytes);
    scribbleOnStack();
    return persist->Load(stream.get());
}

HRESULT loadBag(const win::ComPtr<container::Form>& form, IPropertyBag* bag, bool throughHosting,
                std::optional<HostedControl>& hosted) {
    if (!throughHosting) {
        hosted.emplace(form, true);
        const auto persist = hosted->control.query<IPersistPropertyBag>();
        scribbleOnStack();
        return persist->Load(bag, nullptr);
    }
    try {
        scribbleOnStack();
        hosted.emplace(form, true, bag);
        return S_OK;
    } catch (const win::Error& error) {
        return error.number();
    }
}

void record(HRESULT status, const std::optional<HostedControl>& hosted, const std::string& name,
            Tally& tally) {
    ++tally.mutants;
    std::string outcome;
    if (status == S_OK && hosted) {
        outcome = "restored";
        examineRestored(*hosted, name, tally, outcome);
    } else if (FAILED(status)) {
        outcome = "refused " + hexOf(status);
    } else {
        outcome = "answered " + hexOf(status);
        tally.fault(name, "loading answered neither success nor a failure: " + hexOf(status));
    }
    ++tally.outcomes[outcome];
}

// Empty when a fresh control takes the valid state and shapes its form to the saved figure.
std::string validStateFault(const ValidSave& valid, bool fromStream) {
    const auto form = win::makeCom<container::Form>(kDesign);
    std::optional<HostedControl> hosted;
    const HRESULT status = fromStream ? loadStream(form, valid.stream, hosted)
                                      : loadBag(form, valid.bag.get(), true, hosted);
    if (status != S_OK)
        return "the valid state is refused: " + hexOf(status);
    IDispatch* control = hosted->control.get();
    if (get(control, dispid::kMaskColor).result.get()->lVal != valid.stored.maskColor ||
        get(control, dispid::kShowPicture).result.get()->boolVal != valid.stored.showPicture ||
        get(control, dispid::kAutomaticMaskColor).result.get()->boolVal !=
            valid.stored.automaticMaskColor)
        return "the valid state loads other properties than cases.txt gives";
    const Call load = call(hosted->control.get(), dispid::kLoad);
    if (load.status != S_OK)
        return "Load of the restored picture answered " + hexOf(load.status);
    if (std::string fault = test::regionMismatch(
            windowRegion(hosted->form->hwnd()),
            test::referenceFigure(valid.figure.pixels(), valid.figure.widthPx(),
                                  valid.figure.heightPx(), valid.maskColor()));
        !fault.empty())
        return "the restored picture does not shape the form: " + fault;
    return shapingFault(*hosted);
}

int run(const std::wstring& kind, std::size_t first, std::size_t count, std::size_t stride) {
    const ValidSave valid;
    auto other = win::makeCom<container::Form>(kDesign); // an object that is no picture
    FakePictureBehaviour unreadable;
    unreadable.heightStatus = E_FAIL;
    const auto brokenPicture = win::makeCom<FakePicture>(unreadable);
    FakePictureBehaviour huge;
    huge.heightHimetric = 0x7FFFFFFF;
    const auto hugePicture = win::makeCom<FakePicture>(huge);
    const win::ComPtr<IPictureDisp> emptyPicture = runtime::emptyPicture().dispatch();
    const VariantValues values({
        {"picture", static_cast<IDispatch*>(valid.bag->find(L"Picture")->pdispVal)},
        {"empty picture", emptyPicture.get()},
        {"picture without a size", static_cast<IPictureDisp*>(brokenPicture.get())},
        {"picture too large", static_cast<IPictureDisp*>(hugePicture.get())},
        {"form", static_cast<IDispatch*>(other.get())},
    });

    const auto form = win::makeCom<container::Form>(kDesign);
    CaseWatchdog watchdog(kMutantLimit);
    Tally tally;
    const bool streams = kind == L"stream";
    const StreamMutants streamMutants(valid.stream);
    const std::vector<BagMutant> bagMutantList = bagMutants(values);
    const std::size_t total = streams ? streamMutants.count() : bagMutantList.size();
    for (std::size_t i = first; i < std::min(first + count, total); i += stride) {
        const std::string name = (streams ? "stream mutant " : "bag mutant ") + std::to_string(i) +
                                 " (" + (streams ? streamMutants.name(i) : bagMutantList[i].name) +
                                 ")";
        watchdog.begin(name);
        std::optional<HostedControl> hosted;
        const HRESULT status =
            streams ? loadStream(form, streamMutants.bytes(i), hosted)
                    : loadBag(form, bagOf(bagMutantList[i], *valid.bag.get(), values).get(),
                              i % 2 == 0, hosted);
        record(status, hosted, name, tally);
        hosted.reset();
        watchdog.end();
    }

    watchdog.begin("the valid state after the mutants");
    if (const std::string broken = validStateFault(valid, streams); !broken.empty())
        tally.faults.add("a fresh control no longer works: " + broken);
    watchdog.end();
    if (const HRESULT unload = ControlLibrary::instance().canUnloadNow(); unload != S_OK)
        tally.faults.add("control objects are still alive (DllCanUnloadNow " + hexOf(unload) + ")");

    std::printf("mutants %lld of %zu\n", tally.mutants, total);
    for (const auto& [outcome, number] : tally.outcomes)
        std::printf("outcome %s: %lld\n", outcome.c_str(), number);
    tally.faults.print();
    return tally.faults.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5 || (std::wcscmp(argv[1], L"stream") != 0 && std::wcscmp(argv[1], L"bag") != 0))
        return 2;
    const std::size_t stride = std::wcstoul(argv[4], nullptr, 10);
    if (stride == 0)
        return 2;
    return runProbe("persistence_mutation_probe", [&] {
        return run(argv[1], std::wcstoul(argv[2], nullptr, 10), std::wcstoul(argv[3], nullptr, 10),
                   stride);
    });
}
