#pragma once
// The pictures, bitmaps and cursor of the three demo programs, drawn from code so that every
// build makes byte-identical files.

#include "core/color.h"
#include "tools/pictures/picture_writer.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cutshape::demo_pictures {

// Each shaped picture's background, the colour of its top-left pixel, which no figure pixel
// has (0x00BBGGRR).
inline constexpr core::Color kEarthBackground = 0x00FF00FF; // magenta
inline constexpr core::Color kHoleBackground = 0x00FF0000;  // blue
inline constexpr core::Color kHeadBackground = 0x00FFFFFF;  // white
// The colour drawn where the cursor lets the screen through.
inline constexpr core::Color kCursorTransparent = 0x00FF00FF;
inline constexpr std::int32_t kCursorHotSpotX = 12;
inline constexpr std::int32_t kCursorHotSpotY = 1;

// A globe with a control panel on its right (CutEARTH), 240 x 200.
pictures::Image drawEarth();
// A rounded plate with a round hole through it (CutHOLE), 200 x 170.
pictures::Image drawHole();
// A green head-shaped media player on white (CutHEAD), 350 x 406.
pictures::Image drawHead();
// The small button bitmaps the forms show in image controls.
pictures::Image drawCloseButton(); // 14 x 15
pictures::Image drawPlayButton();  // 25 x 24
pictures::Image drawStopButton();  // 21 x 22
// A pointing hand, 32 x 32, kCursorTransparent around it, the fingertip at the hot spot.
pictures::Image drawHandCursor();

struct DemoFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Every file the demos need, in a fixed order.
std::vector<DemoFile> makeDemoFiles();

// Writes makeDemoFiles() into `folder`, which must exist. Throws std::runtime_error naming a
// file that cannot be written.
void writeDemoFiles(const std::filesystem::path& folder);

} // namespace cutshape::demo_pictures
