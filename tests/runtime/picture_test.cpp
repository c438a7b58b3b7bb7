#include "runtime/picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/error.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace cutshape {
namespace {

using test::Image;

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

    test::TempFolder folder_;
};

Image sampleFigure() {
    return test::makeFigure(40, 30, 0x00FFFFFF, 0x00203040);
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
    const Image icon = test::makeFigure(32, 32, 0x00FFFFFF, 0x00000080);
    const RECT figure{5, 5, 20, 25};
    const struct {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        SHORT type;
        SIZE size;
    } files[] = {
        {L"a.bmp", test::writeBmp24(image), PICTYPE_BITMAP, size},
        {L"a8.bmp", test::writeBmp8(image, test::Bmp8Compression::Rle8), PICTYPE_BITMAP, size},
        // A table of only the colours used makes this file smaller than a full 256-colour
        // table.
        {L"small8.bmp", test::writeBmp8(test::makeFigure(8, 6, 0x00FFFFFF, 0x00203040)),
         PICTYPE_BITMAP, SIZE{8, 6}},
        {L"a.gif", test::writeGif(image, 0x00FFFFFFu), PICTYPE_BITMAP, size},
        {L"a.jpg", test::encodeJpeg(image), PICTYPE_BITMAP, size},
        {L"a.ico", test::writeIco(icon, 0x00FFFFFFu), PICTYPE_ICON, SIZE{32, 32}},
        {L"a.emf", test::makeEnhancedMetafile(40, 30, figure), PICTYPE_ENHMETAFILE, size},
        {L"a.wmf", test::makePlaceableMetafile(40, 30, figure), PICTYPE_METAFILE, size},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(::testing::Message() << file.name);
        expectPicture(runtime::loadPicture(write(file.name, file.bytes)), file.type, file.size);
    }
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

// Each way a load fails raises its own error. Which files are damaged or too large is the
// core's inspection, tested for every format in tests/core/picture_header_test.cpp; here one
// file of each verdict, and an empty file (the file reader skips its read).
TEST_F(LoadPicture, FailuresRaiseTheirErrors) {
    const std::vector<std::uint8_t> bmp = test::writeBmp24(sampleFigure());
    std::vector<std::uint8_t> huge = test::writeBmp24(Image(1, 1, 0));
    for (const std::size_t at : {18u, 22u}) { // a valid header claiming 60000 x 60000 pixels
        huge[at] = 0x60;
        huge[at + 1] = 0xEA;
    }
    const std::pair<std::wstring, HRESULT> cases[] = {
        {(folder_.path() / L"missing.bmp").wstring(), CTL_E_FILENOTFOUND},
        {(folder_.path() / L"no folder" / L"x.bmp").wstring(), CTL_E_PATHNOTFOUND},
        {write(L"empty.bmp", {}), CTL_E_INVALIDPICTURE},
        // Cut after a valid header, which a decoder would accept.
        {write(L"cut.bmp", {bmp.begin(), bmp.end() - 10}), CTL_E_INVALIDPICTURE},
        {write(L"huge.bmp", huge), CTL_E_OUTOFMEMORY},
    };
    for (const auto& [path, error] : cases)
        EXPECT_EQ(loadError(path), error) << path;
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
