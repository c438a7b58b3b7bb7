// Prints the screen's twips per pixel and the size a picture box takes for a picture file:
//   staging_size_probe <picture>  ->  "<tppX> <tppY> <widthTwips> <heightTwips> <wPx> <hPx>"
#include "runtime/picture.h"
#include "runtime/picture_box.h"
#include "runtime/screen.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    ::CoInitialize(nullptr);
    try {
        using namespace cutshape::runtime;
        PictureBox box(300, 1110, 1215, 495);
        box.setBorderStyle(PictureBox::kBorderNone);
        box.setAutoRedraw(true);
        box.setAutoSize(true);
        box.setPicture(loadPicture(argv[1]));
        std::printf("%g %g %g %g %d %d\n", static_cast<double>(Screen::twipsPerPixelX()),
                    static_cast<double>(Screen::twipsPerPixelY()), static_cast<double>(box.width()),
                    static_cast<double>(box.height()), box.widthPx(), box.heightPx());
    } catch (const cutshape::win::Error& error) {
        std::fwprintf(stderr, L"%ls\n", error.description().c_str());
        return 1;
    }
    ::CoUninitialize();
    return 0;
}
