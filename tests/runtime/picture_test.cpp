#include "runtime/picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/error.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace cutshape {
namespace {

using testing::Image;

class LoadPicture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    std::wstring write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        return folder_.write(name, bytes).wstring();
    }

    // The error number LoadPicture raises for the file, or S_OK when it loads.
    HRESULT loadError(const std::wstring& path) {
        try {
            runtime::loadPicture(path);
            return S_OK;
        } catch (const win::Error& error) {
            EXPECT_FALSE(error.description().empty());
            return error.number();
        }
    }

    testing::TempFolder folder_;
};

Image sampleFigure() {
    return testing::makeFigure(40, 30, 0x00FFFFFF, 0x00203040);
}

void expectPicture(const runtime::Picture& picture, SHORT type, SIZE sizePx) {
    ASSERT_FALSE(picture.isNothing());
    SHORT actualType = 0;
    ASSERT_EQ(picture.get()->get_Type(&actualType), S_OK);
    EXPECT_EQ(actualType, type);
    const SIZE size = picture.sizePixels(96, 96);
    EXPECT_EQ(size.cx, sizePx.cx);
    EXPECT_EQ(size.cy, sizePx.cy);
    EXPECT_TRUE(picture.dispatch()); // the same object answers as IPictureDisp
}

TEST_F(LoadPicture, LoadsEveryFormatAtItsNaturalSize) {
    const Image image = sampleFigure();
    const SIZE size{image.width(), image.height()};
    expectPicture(runtime::loadPicture(write(L"a.bmp", testing::writeBmp24(image))), PICTYPE_BITMAP,
                  size);
    expectPicture(runtime::loadPicture(
                      write(L"a8.bmp", testing::writeBmp8(image, testing::Bmp8Compression::Rle8))),
                  PICTYPE_BITMAP, size);
    // A table of only the colours used makes this file smaller than a full 256-colour table.
    const Image small = testing::makeFigure(8, 6, 0x00FFFFFF, 0x00203040);
    expectPicture(runtime::loadPicture(write(L"small8.bmp", testing::writeBmp8(small))),
                  PICTYPE_BITMAP, SIZE{8, 6});
    expectPicture(runtime::loadPicture(write(L"a.gif", testing::writeGif(image, 0x00FFFFFFu))),
                  PICTYPE_BITMAP, size);
    expectPicture(runtime::loadPicture(write(L"a.jpg", testing::encodeJpeg(image))), PICTYPE_BITMAP,
                  size);
    const Image icon = testing::makeFigure(32, 32, 0x00FFFFFF, 0x00000080);
    expectPicture(runtime::loadPicture(write(L"a.ico", testing::writeIco(icon, 0x00FFFFFFu))),
                  PICTYPE_ICON, SIZE{32, 32});
    const RECT figure{5, 5, 20, 25};
    expectPicture(
        runtime::loadPicture(write(L"a.emf", testing::makeEnhancedMetafile(40, 30, figure))),
        PICTYPE_ENHMETAFILE, size);
    expectPicture(
        runtime::loadPicture(write(L"a.wmf", testing::makePlaceableMetafile(40, 30, figure))),
        PICTYPE_METAFILE, size);
}

TEST_F(LoadPicture, EmptyPathGivesEmptyPictureObject) {
    const runtime::Picture picture = runtime::loadPicture(L"");
    EXPECT_FALSE(picture.isNothing());
    EXPECT_TRUE(picture.isEmpty());
    SHORT type = -1;
    ASSERT_EQ(picture.get()->get_Type(&type), S_OK);
    EXPECT_EQ(type, PICTYPE_NONE);
    EXPECT_EQ(picture.sizeHimetric().cx, 0);
    EXPECT_FALSE(runtime::loadPicture(L"") == picture); // a new object each time
}

TEST_F(LoadPicture, MissingFilesAreNotFound) {
    EXPECT_EQ(loadError((folder_.path() / L"missing.bmp").wstring()), CTL_E_FILENOTFOUND);
    EXPECT_EQ(loadError((folder_.path() / L"no folder" / L"x.bmp").wstring()), CTL_E_PATHNOTFOUND);
}

TEST_F(LoadPicture, DamagedFilesAreInvalidPictures) {
    const std::vector<std::uint8_t> bmp = testing::writeBmp24(sampleFigure());
    const std::vector<std::uint8_t> gif = testing::writeGif(sampleFigure());
    const std::vector<std::uint8_t> jpeg = testing::encodeJpeg(sampleFigure());
    const auto cut = [](std::vector<std::uint8_t> bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    };
    EXPECT_EQ(loadError(write(L"empty.bmp", {})), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(loadError(write(L"garbage.gif", std::vector<std::uint8_t>(500, 0x5A))),
              CTL_E_INVALIDPICTURE);
    // Cut inside the header, and cut after a valid header (a decoder would accept that).
    EXPECT_EQ(loadError(write(L"header.bmp", cut(bmp, 20))), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(loadError(write(L"pixels.bmp", cut(bmp, bmp.size() - 10))), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(loadError(write(L"cut.gif", cut(gif, gif.size() / 2))), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(loadError(write(L"cut.jpg", cut(jpeg, jpeg.size() / 2))), CTL_E_INVALIDPICTURE);
}

TEST_F(LoadPicture, UnallocatableSizesAreOutOfMemoryNotACrash) {
    // Valid headers that claim 60000 x 60000 pixels, with only a few bytes behind them.
    std::vector<std::uint8_t> bmp = testing::writeBmp24(Image(1, 1, 0));
    const auto put32 = [&](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bmp[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put32(18, 60000);
    put32(22, 60000);
    EXPECT_EQ(loadError(write(L"huge.bmp", bmp)), CTL_E_OUTOFMEMORY);

    std::vector<std::uint8_t> gif = testing::writeGif(Image(1, 1, 0));
    gif[6] = gif[7] = gif[8] = gif[9] = 0xFF; // a 65535 x 65535 screen
    EXPECT_EQ(loadError(write(L"huge.gif", gif)), CTL_E_OUTOFMEMORY);
}

TEST_F(LoadPicture, NonPictureObjectIsATypeMismatch) {
    win::ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    try {
        runtime::Picture::fromObject(stream.get());
        FAIL() << "a stream was accepted as a picture";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.number(), STD_CTL_SCODE(13));
    }
    EXPECT_TRUE(runtime::Picture::fromObject(nullptr).isNothing());
}

} // namespace
} // namespace cutshape
