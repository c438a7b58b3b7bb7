#include "win/region.h"

#include "win/error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace cutshape::win {
namespace {

// Wine unites the rectangles of one ExtCreateRegion call one by one, so a batch costs
// quadratic time in its size; 64 keeps that small while the tree above stays shallow.
constexpr std::size_t kBatchSize = 64;

UniqueRegion createBatch(std::span<const core::Rect> batch, std::vector<std::byte>& buffer) {
    buffer.resize(sizeof(RGNDATAHEADER) + batch.size() * sizeof(RECT));
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(batch.size());
    header.nRgnSize = static_cast<DWORD>(batch.size() * sizeof(RECT));
    RECT bounds{batch.front().x1, batch.front().y1, batch.front().x2, batch.front().y2};
    std::byte* out = buffer.data() + sizeof(RGNDATAHEADER);
    for (const core::Rect& r : batch) {
        const RECT rect{r.x1, r.y1, r.x2, r.y2};
        bounds.left = std::min(bounds.left, rect.left);
        bounds.top = std::min(bounds.top, rect.top);
        bounds.right = std::max(bounds.right, rect.right);
        bounds.bottom = std::max(bounds.bottom, rect.bottom);
        std::memcpy(out, &rect, sizeof rect);
        out += sizeof rect;
    }
    header.rcBound = bounds;
    std::memcpy(buffer.data(), &header, sizeof header);
    UniqueRegion region(::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                                          reinterpret_cast<const RGNDATA*>(buffer.data())));
    if (!region)
        throw Error(E_OUTOFMEMORY, L"ExtCreateRegion: the system could not create the region.");
    return region;
}

} // namespace

UniqueRegion createEmptyRegion() {
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    if (!region)
        throw Error(E_OUTOFMEMORY, L"CreateRectRgn: the system could not create a region.");
    return region;
}

UniqueRegion createRegion(std::span<const core::Rect> rects) {
    if (rects.empty())
        return createEmptyRegion();

    std::vector<UniqueRegion> level;
    level.reserve((rects.size() + kBatchSize - 1) / kBatchSize);
    std::vector<std::byte> buffer;
    for (std::size_t start = 0; start < rects.size(); start += kBatchSize)
        level.push_back(
            createBatch(rects.subspan(start, std::min(kBatchSize, rects.size() - start)), buffer));

    // Each union costs time linear in both operands; pairing neighbours keeps every
    // rectangle in about log2(batches) unions.
    while (level.size() > 1) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < level.size(); i += 2) {
            if (i + 1 < level.size() &&
                ::CombineRgn(level[i].get(), level[i].get(), level[i + 1].get(), RGN_OR) == ERROR)
                throw Error(E_OUTOFMEMORY, L"CombineRgn: the system could not unite regions.");
            level[kept++] = std::move(level[i]);
        }
        level.resize(kept);
    }
    return std::move(level.front());
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
