#include "tests/support/fake_picture.h"

#include "win/handles.h"

namespace cutshape::testing {

HRESULT FakePicture::get_Handle(OLE_HANDLE* handle) noexcept {
    if (!handle)
        return E_POINTER;
    *handle = 0;
    return S_OK;
}

HRESULT FakePicture::get_hPal(OLE_HANDLE* palette) noexcept {
    if (!palette)
        return E_POINTER;
    *palette = 0;
    return S_OK;
}

HRESULT FakePicture::get_Type(SHORT* type) noexcept {
    if (!type)
        return E_POINTER;
    *type = PICTYPE_BITMAP;
    return S_OK;
}

HRESULT FakePicture::get_Width(OLE_XSIZE_HIMETRIC* width) noexcept {
    if (!width)
        return E_POINTER;
    if (FAILED(behaviour_.widthStatus))
        return behaviour_.widthStatus;
    *width = behaviour_.widthHimetric;
    return S_OK;
}

HRESULT FakePicture::get_Height(OLE_YSIZE_HIMETRIC* height) noexcept {
    if (!height)
        return E_POINTER;
    if (FAILED(behaviour_.heightStatus))
        return behaviour_.heightStatus;
    *height = behaviour_.heightHimetric;
    return S_OK;
}

HRESULT FakePicture::Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC,
                            OLE_YPOS_HIMETRIC, OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC,
                            LPCRECT) noexcept {
    if (!dc)
        return E_INVALIDARG;
    ++renders_;
    const win::UniqueBrush black(::CreateSolidBrush(RGB(0, 0, 0)));
    const RECT figure{x, y, x + cx, y + cy};
    ::FillRect(dc, &figure, black.get());
    return S_OK;
}

HRESULT FakePicture::get_CurDC(HDC* dc) noexcept {
    if (!dc)
        return E_POINTER;
    *dc = nullptr;
    return S_OK;
}

HRESULT FakePicture::get_KeepOriginalFormat(BOOL* keep) noexcept {
    if (!keep)
        return E_POINTER;
    *keep = FALSE;
    return S_OK;
}

HRESULT FakePicture::get_Attributes(DWORD* attributes) noexcept {
    if (!attributes)
        return E_POINTER;
    *attributes = 0;
    return S_OK;
}

HRESULT FakePicture::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT FakePicture::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT FakePicture::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept {
    return DISP_E_UNKNOWNNAME;
}

HRESULT FakePicture::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                            UINT*) noexcept {
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace cutshape::testing
