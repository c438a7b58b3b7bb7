#pragma once
// What a long run of this process holds: GDI objects, windows, kernel handles and private
// bytes, each counted by a means that works under Wine as well as on Windows.
//
// - GDI objects: GetGuiResources where it answers (Windows). Wine answers 0 there, but it
//   accepts a GDI handle given by its table index alone (upper word 0), so GetObjectType
//   asked about every index of the 16-bit table counts the live objects.
// - Windows: every window of this process: the top-level ones (EnumWindows, by process),
//   their descendants, and message-only windows.
// - Kernel handles: GetProcessHandleCount where it answers; Wine answers 0 there, so the
//   entries of this process in the system's handle table (NtQuerySystemInformation,
//   SystemHandleInformation) are counted instead.
// - Private bytes: the committed private regions of the address space (VirtualQuery), what
//   the program's heaps and allocations hold. Not GetProcessMemoryInfo: Wine reports the
//   Unix process's anonymous resident memory there, which grows by itself outside the
//   program (under emulation a one-off 2 MiB step came at a random moment of a run).
//
// countersFault() proves each means against objects it creates and frees itself: a count
// that does not follow them would make every figure of a run meaningless.

#include <string>

namespace cutshape::soak {

struct Resources {
    long long gdiObjects = 0;
    long long windows = 0;
    long long kernelHandles = 0;
    long long privateBytes = 0;
};

Resources sampleResources();

// Empty when every count follows objects created and freed here; else what does not.
std::string countersFault();

} // namespace cutshape::soak
