#include "win/region.h"

#include "win/error.h"
#include "win/gdi_watch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace cutshape::win {
namespace {

[[noreturn]] void throwRegionFailure(const wchar_t* call) {
    throw Error(E_OUTOFMEMORY, std::wstring(L"the system could not create a window region (") +
                                   call + L" failed)");
}

// One ExtCreateRegion call for up to kMaxBatchSize rectangles.
UniqueRegion createBatch(std::span<const core::Rect> batch) {
    struct {
        RGNDATAHEADER header;
        RECT rects[detail::kMaxBatchSize];
    } data{};
    data.header.dwSize = sizeof(RGNDATAHEADER);
    data.header.iType = RDH_RECTANGLES;
    data.header.nCount = static_cast<DWORD>(batch.size());
    data.header.nRgnSize = static_cast<DWORD>(batch.size() * sizeof(RECT));
    RECT bounds{batch.front().x1, batch.front().y1, batch.front().x2, batch.front().y2};
    RECT* out = data.rects;
    for (const core::Rect& r : batch) {
        const RECT rect{r.x1, r.y1, r.x2, r.y2};
        *out++ = rect;
        bounds.left = std::min(bounds.left, rect.left);
        bounds.top = std::min(bounds.top, rect.top);
        bounds.right = std::max(bounds.right, rect.right);
        bounds.bottom = std::max(bounds.bottom, rect.bottom);
    }
    data.header.rcBound = bounds;
    const DWORD size = static_cast<DWORD>(sizeof(RGNDATAHEADER) + batch.size() * sizeof(RECT));
    UniqueRegion region(GdiWatch::regionCallFails()
                            ? nullptr
                            : ::ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(&data)));
    if (!region)
        throwRegionFailure(L"ExtCreateRegion");
    GdiWatch::regionCreated(region.get());
    return region;
}

// `into` becomes the union of both; `other` is freed.
void uniteInto(const UniqueRegion& into, UniqueRegion other) {
    if (GdiWatch::regionCallFails() ||
        ::CombineRgn(into.get(), into.get(), other.get(), RGN_OR) == ERROR)
        throwRegionFailure(L"CombineRgn");
}

} // namespace

UniqueRegion createEmptyRegion() {
    UniqueRegion region(GdiWatch::regionCallFails() ? nullptr : ::CreateRectRgn(0, 0, 0, 0));
    if (!region)
        throwRegionFailure(L"CreateRectRgn");
    GdiWatch::regionCreated(region.get());
    return region;
}

namespace detail {

// A binary counter of regions: slot k of `pending` holds the union of 2^k batches, and a new
// batch carries into it as in binary addition. Every rectangle goes through about
// log2(batches) unions, each linear in its operands, and no more than log2(batches) + 2
// regions are alive at any moment. Neighbours in the list are united first, which keeps
// the sorted bands of a picture cheap to merge.
UniqueRegion createRegionInBatches(std::span<const core::Rect> rects, std::size_t batchSize) {
    if (rects.empty())
        return createEmptyRegion();
    batchSize = std::clamp<std::size_t>(batchSize, 1, kMaxBatchSize);
    struct Pending {
        UniqueRegion region;
        std::size_t batches;
    };
    std::vector<Pending> pending; // the oldest and largest first
    pending.reserve(64);
    for (std::size_t start = 0; start < rects.size(); start += batchSize) {
        UniqueRegion carry =
            createBatch(rects.subspan(start, std::min(batchSize, rects.size() - start)));
        std::size_t batches = 1;
        while (!pending.empty() && pending.back().batches == batches) {
            uniteInto(pending.back().region, std::move(carry));
            carry = std::move(pending.back().region);
            pending.pop_back();
            batches *= 2;
        }
        pending.push_back({std::move(carry), batches});
    }
    UniqueRegion result = std::move(pending.back().region);
    pending.pop_back();
    while (!pending.empty()) {
        uniteInto(pending.back().region, std::move(result));
        result = std::move(pending.back().region);
        pending.pop_back();
    }
    return result;
}

} // namespace detail

UniqueRegion createRegion(std::span<const core::Rect> rects) {
    return detail::createRegionInBatches(rects, detail::kBatchSize);
}

std::size_t regionRectCount(HRGN region) {
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        throwLastError(L"GetRegionData");
    return (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
}

core::Rects regionRects(HRGN region) {
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size == 0)
        throwLastError(L"GetRegionData");
    std::vector<std::byte> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (::GetRegionData(region, size, data) == 0)
        throwLastError(L"GetRegionData");
    core::Rects rects(data->rdh.nCount);
    const std::byte* in = buffer.data() + data->rdh.dwSize;
    for (core::Rect& r : rects) {
        RECT rect;
        std::memcpy(&rect, in, sizeof rect);
        in += sizeof rect;
        r = {rect.left, rect.top, rect.right, rect.bottom};
    }
    return rects;
}

} // namespace cutshape::win
