#pragma once
// Pictures for the tests and the benchmark: the portable writers of picture_writer.h under
// the names the tests use, and deterministic picture generators. Everything here is
// portable: no OS headers, so the same files come out of the native and the Windows builds.

#include "core/color.h"
#include "tests/support/picture_writer.h"

#include <cstdint>
#include <initializer_list>
#include <span>

namespace cutshape::test {

using pictures::AlphaImage;
using pictures::Bmp8Compression;
using pictures::Image;
using pictures::makeSoftFigure;
using pictures::withoutFringe;
using pictures::writeBmp24;
using pictures::writeBmp32;
using pictures::writeBmp8;
using pictures::writeFile;
using pictures::writeGif;
using pictures::writeIco;

// A smooth blob of `figure` on `background`: the union of a few ellipses, an enclosed hole
// of background colour, and a few isolated figure pixels away from the top-left corner (so
// the top-left pixel is background). Integer arithmetic only: every build draws the same.
Image makeFigure(std::int32_t width, std::int32_t height, core::Color background = 0x00FFFFFF,
                 core::Color figure = 0x00000000);
// A page of text: rows of small glyph-like marks in `ink` on `paper`, separated into words.
Image makeTextPage(std::int32_t width, std::int32_t height, core::Color paper = 0x00FFFFFF,
                   core::Color ink = 0x00000000);
// Squares of `cellSize` pixels alternating between `first` (top-left) and `second`.
Image makeCheckerboard(std::int32_t width, std::int32_t height, std::int32_t cellSize = 1,
                       core::Color first = 0x00000000, core::Color second = 0x00FFFFFF);
// Each pixel one of `colours`, chosen by a generator seeded with `seed`. Throws
// std::invalid_argument when `colours` is empty.
Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::span<const core::Color> colours);
Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::initializer_list<core::Color> colours);

} // namespace cutshape::test
