// Prints the screen's twips per pixel, then for each picture file the size a picture box
// takes for it and the HIMETRIC size the picture states:
//   staging_size_probe <picture>...  ->  "<tppX> <tppY>", then per picture
//                                        "<widthTwips> <heightTwips> <wPx> <hPx> <wHim> <hHim>"
#include "runtime/picture.h"
#include "runtime/picture_box.h"
#include "runtime/screen.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    ::CoInitialize(nullptr);
    try {
        using namespace cutshape::runtime;
        std::printf("%g %g\n", static_cast<double>(Screen::twipsPerPixelX()),
                    static_cast<double>(Screen::twipsPerPixelY()));
        for (int i = 1; i < argc; ++i) {
            PictureBox box(300, 1110, 1215, 495);
            box.setBorderStyle(PictureBox::kBorderNone);
            box.setAutoRedraw(true);
            box.setAutoSize(true);
            box.setPicture(loadPicture(argv[i]));
            const SIZE himetric = box.picture().sizeHimetric();
            std::printf("%g %g %d %d %ld %ld\n", static_cast<double>(box.width()),
                        static_cast<double>(box.height()), box.widthPx(), box.heightPx(),
                        himetric.cx, himetric.cy);
        }
    } catch (const cutshape::win::Error& error) {
        std::fwprintf(stderr, L"%ls\n", error.description().c_str());
        return 1;
    }
    ::CoUninitialize();
    return 0;
}
