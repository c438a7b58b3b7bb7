// Cutshape from C++ through the function table of its dual interface (early bound, with the
// SDK's header): a borderless window takes the outline of a picture. A left-button drag
// moves it (Move), R gives back its rectangle (Restore), L shapes it again (Load) and
// Escape closes it. The picture's top-left pixel is taken as its background colour.
//
// A PNG file is read through the Windows Imaging Component into a 32-bit DIB section with
// premultiplied alpha, made a picture object with OleCreatePictureIndirect: the control then
// shapes the window by the picture's transparency (OleLoadPicture reads no PNG).
//
// The control shapes the form that holds it, which it finds through its client site: this
// program's site answers IOleClientSite and IOleWindow, and the control shapes the top-level
// window that IOleWindow::GetWindow names.
//
// Build (Visual C++): cl /EHsc /I.. vtable_client.cpp ..\cutshape_i.c ole32.lib oleaut32.lib
//                     user32.lib windowscodecs.lib
// Build (MinGW-w64):  g++ -municode -I.. vtable_client.cpp ../cutshape_i.c -lole32 -loleaut32
//                     -luuid -lwindowscodecs
// Run:                vtable_client <picture file>    (BMP, GIF, JPEG, ICO or PNG)

#include "cutshape.h"

#include <cstdio>
#include <olectl.h>
#include <string>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr const wchar_t* kTitle = L"Cutshape vtable client";

// A failed call, with the description the control left in the error information.
struct ComFailure {
    HRESULT status;
    std::wstring text;
};

void check(HRESULT status, const wchar_t* call) {
    if (SUCCEEDED(status))
        return;
    std::wstring text = call;
    ComPtr<IErrorInfo> info;
    BSTR description = nullptr;
    if (::GetErrorInfo(0, &info) == S_OK && SUCCEEDED(info->GetDescription(&description)) &&
        description)
        text += std::wstring(L": ") + description;
    ::SysFreeString(description);
    throw ComFailure{status, text};
}

// The smallest client site: it names the window to shape and offers nothing else.
class Site final : public IOleClientSite, public IOleWindow {
public:
    explicit Site(HWND window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (!result)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *result = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow)
            *result = static_cast<IOleWindow*>(this);
        else {
            *result = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    HWND window_;
    ULONG references_ = 1;
};

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* cutshape = reinterpret_cast<_Cutshape*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        switch (message) {
        case WM_LBUTTONDOWN:
            if (cutshape)
                check(cutshape->Move(), L"Move");
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                ::DestroyWindow(window);
            else if (wParam == 'R' && cutshape)
                check(cutshape->Restore(), L"Restore");
            else if (wParam == 'L' && cutshape)
                check(cutshape->Load(nullptr), L"Load"); // no argument: the picture it has
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        }
    } catch (const ComFailure& failure) {
        std::fwprintf(stderr, L"%ls (0x%08lX)\n", failure.text.c_str(),
                      static_cast<unsigned long>(failure.status));
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The PNG file's first frame as a picture object that owns a 32-bit premultiplied DIB section.
ComPtr<IPictureDisp> loadPng(const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_PPV_ARGS(&factory)),
          L"WIC factory");
    ComPtr<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                             WICDecodeMetadataCacheOnDemand, &decoder),
          L"Decoding the PNG file");
    ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, &frame), L"GetFrame");
    ComPtr<IWICFormatConverter> converter;
    check(factory->CreateFormatConverter(&converter), L"CreateFormatConverter");
    check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom),
          L"Converting to 32-bit premultiplied BGRA");
    UINT width = 0, height = 0;
    check(converter->GetSize(&width, &height), L"GetSize");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        check(E_OUTOFMEMORY, L"CreateDIBSection");
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    ComPtr<IPictureDisp> picture;
    HRESULT status =
        converter->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(bits));
    if (SUCCEEDED(status)) // the picture object owns the bitmap from here on
        status = ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                            reinterpret_cast<void**>(picture.GetAddressOf()));
    if (FAILED(status))
        ::DeleteObject(bitmap);
    check(status, L"Making the picture");
    return picture;
}

bool isPng(const std::wstring& path) {
    return path.size() > 4 && ::lstrcmpiW(path.c_str() + path.size() - 4, L".png") == 0;
}

HWND createWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"CutshapeVtableClient";
    ::RegisterClassW(&windowClass);
    const HWND window =
        ::CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_POPUP, 100, 100, 400, 300,
                          nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        check(HRESULT_FROM_WIN32(::GetLastError()), L"CreateWindowExW");
    return window;
}

int run(const wchar_t* picturePath) {
    const HWND window = createWindow();

    ComPtr<_Cutshape> cutshape;
    check(
        ::CoCreateInstance(CLSID_Cutshape, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cutshape)),
        L"CoCreateInstance");
    // The container's part: the site first, then a fresh state.
    ComPtr<IOleObject> object;
    check(cutshape.As(&object), L"IOleObject");
    Site* site = new Site(window);
    const HRESULT siteStatus = object->SetClientSite(site);
    site->Release();
    check(siteStatus, L"SetClientSite");
    ComPtr<IPersistStreamInit> persistence;
    check(cutshape.As(&persistence), L"IPersistStreamInit");
    check(persistence->InitNew(), L"InitNew");

    check(cutshape->put_AutomaticMaskColor(VARIANT_TRUE), L"AutomaticMaskColor");
    ComPtr<IPictureDisp> picture;
    std::wstring path = picturePath;
    if (isPng(path))
        picture = loadPng(path);
    else
        check(::OleLoadPicturePath(path.data(), nullptr, 0, 0, IID_PPV_ARGS(&picture)),
              L"OleLoadPicturePath");
    // The type library's Picture is the picture object's dispatch interface.
    check(cutshape->Load(reinterpret_cast<Picture*>(picture.Get())), L"Load");

    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cutshape.Get()));
    ::ShowWindow(window, SW_SHOW);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    std::printf("shaped %ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
    std::fflush(stdout);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    object->SetClientSite(nullptr);
    object->Close(OLECLOSE_NOSAVE);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: vtable_client <picture file>\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr)))
        return 1;
    int result = 1;
    try {
        result = run(argv[1]);
    } catch (const ComFailure& failure) {
        std::fwprintf(stderr, L"%ls (0x%08lX)\n", failure.text.c_str(),
                      static_cast<unsigned long>(failure.status));
    }
    ::OleUninitialize();
    return result;
}
