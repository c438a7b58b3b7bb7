#include "container/cursor_file.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"

#include <vector>

namespace cutshape::container {
namespace {

std::uint32_t little(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | bytes[at + i];
    return value;
}

} // namespace

win::UniqueIcon cursorFromFile(std::span<const std::uint8_t> bytes, const runtime::Resolution& at) {
    // Header: reserved 0, type 2 (cursor), count; then 16-byte entries whose words 4 and 6
    // are the hot spot, followed by the image's size and offset.
    constexpr std::size_t kHeader = 6;
    constexpr std::size_t kEntry = 16;
    if (bytes.size() < kHeader + kEntry || little(bytes, 0, 2) != 0 || little(bytes, 2, 2) != 2 ||
        little(bytes, 4, 2) == 0)
        throw runtime::invalidPictureError(L"not a cursor file");
    // Entry bytes 0 and 1 are the width and height, 0 meaning 256.
    const auto side = [&](std::size_t offset, int dpi) {
        const std::int32_t pixels = bytes[kHeader + offset] ? bytes[kHeader + offset] : 256;
        return core::scaledFromPictureDpi(pixels, dpi);
    };
    const std::int32_t width = side(0, at.dpiX);
    const std::int32_t height = side(1, at.dpiY);
    const std::uint32_t hotX = little(bytes, kHeader + 4, 2);
    const std::uint32_t hotY = little(bytes, kHeader + 6, 2);
    const std::uint32_t size = little(bytes, kHeader + 8, 4);
    const std::uint32_t offset = little(bytes, kHeader + 12, 4);
    if (offset > bytes.size() || size > bytes.size() - offset)
        throw runtime::invalidPictureError(L"the cursor image lies outside the file");
    // CreateIconFromResourceEx takes a cursor image as the hot spot followed by the bitmap.
    std::vector<std::uint8_t> resource{
        static_cast<std::uint8_t>(hotX), static_cast<std::uint8_t>(hotX >> 8),
        static_cast<std::uint8_t>(hotY), static_cast<std::uint8_t>(hotY >> 8)};
    resource.insert(resource.end(), bytes.begin() + offset, bytes.begin() + offset + size);
    win::UniqueIcon cursor(::CreateIconFromResourceEx(
        resource.data(), static_cast<DWORD>(resource.size()), FALSE, 0x00030000, width, height, 0));
    if (!cursor)
        throw runtime::invalidPictureError(L"the cursor image cannot be read");
    return cursor;
}

} // namespace cutshape::container
