#pragma once
// A picture object of the tests' own (IPicture and IPictureDisp on one object), for what
// real pictures never do: a size that cannot be read, or sizes no file gives. It draws a
// black rectangle where a picture would draw itself and counts how often it was drawn.

#include "win/com_object.h"

#include <ocidl.h>
#include <olectl.h>

namespace cutshape::testing {

struct FakePictureBehaviour {
    OLE_XSIZE_HIMETRIC widthHimetric = 2540; // 96 pixels at 96 dpi
    OLE_YSIZE_HIMETRIC heightHimetric = 2540;
    HRESULT widthStatus = S_OK;  // what get_Width answers
    HRESULT heightStatus = S_OK; // what get_Height answers
};

class FakePicture final : public win::ComObject<FakePicture, IPicture, IPictureDisp,
                                                win::Via<IDispatch, IPictureDisp>> {
public:
    explicit FakePicture(FakePictureBehaviour behaviour) : behaviour_(behaviour) {}

    int renders() const noexcept { return renders_; }

    // IPicture
    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) noexcept override;
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) noexcept override;
    HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) noexcept override;
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) noexcept override;
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) noexcept override;
    HRESULT STDMETHODCALLTYPE Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC,
                                     OLE_YPOS_HIMETRIC, OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC,
                                     LPCRECT) noexcept override;
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC* dc) noexcept override;
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) noexcept override;
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PictureChanged() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, BOOL, LONG*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) noexcept override;

    // IDispatch: no members are offered by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override;

private:
    FakePictureBehaviour behaviour_;
    int renders_ = 0;
};

} // namespace cutshape::testing
