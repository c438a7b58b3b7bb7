#include "tests/soak/process_resources.h"

#include "win/error.h"
#include "win/handles.h"

#include <vector>
#include <windows.h>

namespace cutshape::soak {
namespace {

constexpr ULONG_PTR kGdiTableSize = 0x10000;

long long gdiObjects() {
    if (const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return counted;
    long long live = 0;
    for (ULONG_PTR index = 1; index < kGdiTableSize; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++live;
    return live;
}

struct WindowCount {
    DWORD process;
    long long count;
};

BOOL CALLBACK countChild(HWND, LPARAM context) {
    ++reinterpret_cast<WindowCount*>(context)->count;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM context) {
    auto& windows = *reinterpret_cast<WindowCount*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == windows.process) {
        ++windows.count;
        ::EnumChildWindows(window, countChild, context);
    }
    return TRUE;
}

long long windows() {
    WindowCount windows{::GetCurrentProcessId(), 0};
    ::EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        countTopLevel(window, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

// The system's handle table as NtQuerySystemInformation(SystemHandleInformation) gives it.
struct HandleEntry {
    ULONG process;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long long kernelHandles() {
    DWORD counted = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &counted) && counted > 0)
        return counted;
    static const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        throw win::Error(E_NOTIMPL, L"NtQuerySystemInformation is not available");
    std::vector<std::uint8_t> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0)
            throw win::Error(HRESULT_FROM_NT(status), L"Reading the system's handle table");
        break;
    }
    const auto& table = *reinterpret_cast<const HandleTable*>(buffer.data());
    const DWORD self = ::GetCurrentProcessId();
    long long mine = 0;
    for (ULONG i = 0; i < table.count; ++i)
        if (table.entries[i].process == self)
            ++mine;
    return mine;
}

// The committed private regions of the address space, walked with VirtualQuery.
long long privateBytes() {
    long long total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* address = static_cast<const char*>(nullptr);
         ::VirtualQuery(address, &region, sizeof region) == sizeof region && region.RegionSize;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<long long>(region.RegionSize);
    }
    return total;
}

std::string mismatch(const char* what, long long before, long long during, long long after,
                     long long created) {
    if (during - before == created && after == before)
        return {};
    return std::string(what) + " counted " + std::to_string(before) + ", " +
           std::to_string(during) + " with " + std::to_string(created) + " more, then " +
           std::to_string(after);
}

} // namespace

Resources sampleResources() {
    return Resources{gdiObjects(), windows(), kernelHandles(), privateBytes()};
}

std::string countersFault() {
    constexpr int kObjects = 40;
    constexpr SIZE_T kMemoryBytes = 16 << 20;
    // The thread's first window brings the system's own helper windows (such as the input
    // method's) with it: that one stays out of the count.
    const win::UniqueWindow first(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1,
                                                    nullptr, nullptr, nullptr, nullptr));
    const Resources before = sampleResources();
    std::string fault;
    {
        std::vector<win::UniqueRegion> regions;
        std::vector<win::UniqueBrush> brushes;
        std::vector<win::UniqueHandle> events;
        std::vector<win::UniqueWindow> popups;
        for (int i = 0; i < kObjects; ++i) {
            regions.emplace_back(::CreateRectRgn(0, 0, i + 1, i + 1));
            brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
            events.emplace_back(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
            // Every other one a message-only window, which no enumeration of the desktop shows.
            popups.emplace_back(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1,
                                                  i % 2 ? HWND_MESSAGE : nullptr, nullptr, nullptr,
                                                  nullptr));
        }
        void* memory =
            ::VirtualAlloc(nullptr, kMemoryBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (memory)
            std::fill_n(static_cast<volatile std::uint8_t*>(memory), kMemoryBytes, 1);
        const Resources during = sampleResources();
        if (memory)
            ::VirtualFree(memory, 0, MEM_RELEASE);
        regions.clear();
        brushes.clear();
        events.clear();
        popups.clear();
        const Resources after = sampleResources();
        for (const std::string& one :
             {mismatch("GDI objects", before.gdiObjects, during.gdiObjects, after.gdiObjects,
                       2 * kObjects),
              mismatch("windows", before.windows, during.windows, after.windows, kObjects),
              mismatch("kernel handles", before.kernelHandles, during.kernelHandles,
                       after.kernelHandles, kObjects)})
            if (!one.empty())
                fault += one + "; ";
        // Memory is counted in pages and heaps move: only the committed block must show.
        if (!memory || during.privateBytes - before.privateBytes <
                           static_cast<long long>(kMemoryBytes * 9 / 10))
            fault += "private bytes did not follow " + std::to_string(kMemoryBytes) +
                     " bytes committed and written; ";
    }
    return fault;
}

} // namespace cutshape::soak
