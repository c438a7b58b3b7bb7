// Prints the screen's twips per pixel, then for each picture file the size it is staged at
// and the HIMETRIC size the picture states:
//   staging_size_probe <picture>...  ->  "<tppX> <tppY>", then per picture
//                                        "<widthTwips> <heightTwips> <wPx> <hPx> <wHim> <hHim>"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "runtime/staged_picture.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    ::CoInitialize(nullptr);
    try {
        using namespace cutshape::runtime;
        const Resolution screen = screenResolution();
        std::printf("%g %g\n", static_cast<double>(screen.twipsPerPixelX()),
                    static_cast<double>(screen.twipsPerPixelY()));
        for (int i = 1; i < argc; ++i) {
            StagedPicture staging;
            staging.stage(loadPicture(argv[i]), screen);
            const SIZE himetric = staging.picture().sizeHimetric();
            std::printf("%g %g %d %d %ld %ld\n", static_cast<double>(staging.widthTwips()),
                        static_cast<double>(staging.heightTwips()), staging.widthPx(),
                        staging.heightPx(), himetric.cx, himetric.cy);
        }
    } catch (const cutshape::win::Error& error) {
        std::fwprintf(stderr, L"%ls\n", error.description().c_str());
        return 1;
    }
    ::CoUninitialize();
    return 0;
}
