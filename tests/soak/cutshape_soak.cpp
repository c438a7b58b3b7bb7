// A long run of the control that must leave nothing behind:
//   cutshape_soak <load-restore cycles> <create-destroy cycles> <cycles per thread>
// Phase 1: Load and Restore, over and over, on one control hosted on a shown form.
// Phase 2: a control hosted on a new form, loaded and destroyed with its form, over and over.
// Phase 3: four apartment threads at once, each hosting its own controls the same way.
// Each phase samples the process's GDI objects, windows, kernel handles and private bytes
// (process_resources.h) ten times over its run (every 1,000 cycles in the full run), prints
// them and their slope per 1,000 cycles, and fails when a slope shows growth beyond the
// tolerance below. At the end no control object may be alive (DllCanUnloadNow S_OK).
// Exit code 0 when all holds, 1 when not, 2 for bad arguments, 3 when the set-up failed.

#include "runtime/picture.h"
#include "tests/control/control_harness.h"
#include "tests/soak/resource_series.h"
#include "tests/support/phase_barrier.h"
#include "tests/support/picture_files.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using namespace cutshape;
using namespace cutshape::test;

// Counts: a leak of one object per cycle is a slope of 1,000 per 1,000 cycles. A run may
// create an object or two once, late (a cache filled on first use), and nothing steadily.
// Bytes are counted in pages, and heaps grow in steps (of 4 to 16 KiB in runs here): a run
// may grow once by 256 KiB, and steadily by 64 bytes per cycle, less than any allocation a
// cycle makes that could be kept by mistake: its staging image alone is 42 KiB.
constexpr soak::Tolerance kTolerance{1.0, 2.0, 64.0 * 1024, 256.0 * 1024};
constexpr int kSamplesPerPhase = 10;
constexpr int kWarmUpCycles = 50;
constexpr int kThreads = 4;
constexpr core::Color kWhite = 0x00FFFFFF;

void pumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Two figures of different sizes, so every cycle stages a new image; the small one has a
// soft edge, which a Load shows beside the form in a window of its own and Restore removes.
struct Pictures {
    runtime::Picture small =
        runtime::pictureFromBytes(writeBmp32(makeSoftFigure(120, 90)), L"small soft figure");
    runtime::Picture large =
        runtime::pictureFromBytes(writeBmp24(makeFigure(160, 120, kWhite)), L"large figure");
    const runtime::Picture& operator[](long long cycle) const { return cycle % 2 ? large : small; }
};

// Failed calls are counted, not thrown: a soak reports them at the end.
std::atomic<long long> failedCalls{0};

void expectSuccess(const Call& made) {
    if (made.status != S_OK)
        ++failedCalls;
}

void prepare(IDispatch* control) {
    expectSuccess(put(control, dispid::kMaskColor, variantOf(LONG{kWhite})));
    expectSuccess(put(control, dispid::kShowPicture, variantOfBool(true)));
}

void loadAndRestore(IDispatch* control, const runtime::Picture& picture) {
    expectSuccess(loadCall(control, picture));
    expectSuccess(call(control, dispid::kRestore));
}

// One control on a new form: created, loaded, restored and destroyed with its form.
void hostOnce(const runtime::Picture& picture) {
    {
        HostedControl hosted(container::FormDesign{L"Soak: create and destroy"}, true);
        prepare(hosted.control.get());
        loadAndRestore(hosted.control.get(), picture);
    }
    pumpMessages();
}

// Runs `cycle` (given the cycle's number) `cycles` times after a warm-up, sampling the
// resources at the start, at the end and evenly between.
template <class Cycle>
std::string sampledPhase(const char* phase, long long cycles, Cycle cycle) {
    soak::ResourceSeries series(phase);
    for (int warmUp = 0; warmUp < kWarmUpCycles; ++warmUp)
        cycle(warmUp);
    const long long interval = std::max<long long>(1, cycles / kSamplesPerPhase);
    for (long long done = 0; done <= cycles; ++done) {
        if (done % interval == 0)
            series.add(done, soak::sampleResources());
        if (done < cycles)
            cycle(done);
    }
    return series.report(kTolerance);
}

// The threads meet at a barrier every `interval` cycles each; the last to arrive samples
// while the others wait, so no control is half made when the counts are taken.
std::string threadsPhase(long long cyclesPerThread) {
    soak::ResourceSeries series("threads");
    const long long interval = std::max<long long>(1, cyclesPerThread / 5);
    long long sampledCycles = 0;
    PhaseBarrier meeting(kThreads, [&] {
        try {
            series.add(sampledCycles, soak::sampleResources());
        } catch (...) {
            ++failedCalls;
        }
        sampledCycles += interval * kThreads;
    });
    std::atomic<int> failedThreads{0};
    auto work = [&] {
        try {
            win::check(::OleInitialize(nullptr), L"OleInitialize");
            {
                const Pictures pictures; // picture objects belong to the thread's apartment
                for (int cycle = 0; cycle < kWarmUpCycles / 5; ++cycle)
                    hostOnce(pictures[cycle]);
                meeting.arrive_and_wait();
                for (long long cycle = 1; cycle <= cyclesPerThread; ++cycle) {
                    hostOnce(pictures[cycle]);
                    if (cycle % interval == 0)
                        meeting.arrive_and_wait();
                }
            }
            ::OleUninitialize();
        } catch (const std::exception& error) {
            std::printf("a soak thread failed: %s\n", error.what());
            ++failedThreads;
            meeting.arrive_and_drop();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    std::string growth = series.report(kTolerance);
    if (failedThreads > 0)
        growth += "threads: " + std::to_string(failedThreads.load()) + " thread(s) failed; ";
    return growth;
}

template <class Phase>
std::string timed(const char* name, Phase phase) {
    const auto start = std::chrono::steady_clock::now();
    std::string growth = phase();
    std::printf("  %-14s took %.1f s\n", name,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    std::fflush(stdout);
    return growth;
}

int run(long long loadRestoreCycles, long long createDestroyCycles, long long threadCycles) {
    if (const std::string fault = soak::countersFault(); !fault.empty()) {
        std::printf("soak: the resource counts cannot be trusted here: %s\n", fault.c_str());
        return 3;
    }
    std::printf("soak: %lld load-restore cycles, %lld create-destroy cycles, %d threads x %lld "
                "cycles\n",
                loadRestoreCycles, createDestroyCycles, kThreads, threadCycles);
    std::string growth;
    {
        const Pictures pictures;
        growth += timed("load-restore", [&] {
            HostedControl shown(container::FormDesign{L"Soak: load and restore"}, true);
            shown.form->show();
            prepare(shown.control.get());
            return sampledPhase("load-restore", loadRestoreCycles, [&](long long cycle) {
                loadAndRestore(shown.control.get(), pictures[cycle]);
                pumpMessages();
            });
        });
        growth += timed("create-destroy", [&] {
            return sampledPhase("create-destroy", createDestroyCycles,
                                [&](long long cycle) { hostOnce(pictures[cycle]); });
        });
    }
    growth += timed("threads", [&] { return threadsPhase(threadCycles); });
    pumpMessages();

    const HRESULT unload = ControlLibrary::instance().canUnloadNow();
    std::printf("soak: DllCanUnloadNow 0x%08lX, %lld failed calls\n",
                static_cast<unsigned long>(unload), failedCalls.load());
    if (unload != S_OK)
        growth += "control objects are still alive at the end; ";
    if (failedCalls > 0)
        growth += std::to_string(failedCalls.load()) + " calls failed; ";
    std::printf("soak: %s%s\n", growth.empty() ? "flat" : "FAILED: ", growth.c_str());
    return growth.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 2;
    const long long cycles[] = {std::wcstoll(argv[1], nullptr, 10),
                                std::wcstoll(argv[2], nullptr, 10),
                                std::wcstoll(argv[3], nullptr, 10)};
    for (const long long count : cycles)
        if (count <= 0)
            return 2;
    return runProbe("cutshape_soak", [&] { return run(cycles[0], cycles[1], cycles[2]); });
}
