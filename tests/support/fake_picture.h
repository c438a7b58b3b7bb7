#pragma once
// A picture object of the tests' own (IPicture and IPictureDisp on one object), for what
// real pictures never do: a size that cannot be read, sizes no file gives, or a drawing that
// fails. It draws a black rectangle where a picture would draw itself and counts how often it
// was drawn.

#include "win/com_object.h"
#include "win/handles.h"

#include <ocidl.h>
#include <olectl.h>
#include <type_traits>

namespace cutshape::test {

struct FakePictureBehaviour {
    OLE_XSIZE_HIMETRIC widthHimetric = 2540; // 96 pixels at 96 dpi
    OLE_YSIZE_HIMETRIC heightHimetric = 2540;
    HRESULT widthStatus = S_OK;  // what get_Width answers
    HRESULT heightStatus = S_OK; // what get_Height answers
    HRESULT renderStatus = S_OK; // what Render answers; a failing one draws nothing
};

class FakePicture final : public win::ComObject<FakePicture, IPicture, IPictureDisp,
                                                win::Via<IDispatch, IPictureDisp>> {
public:
    explicit FakePicture(FakePictureBehaviour behaviour) : behaviour_(behaviour) {}

    int renders() const noexcept { return renders_; }

    // IPicture: a bitmap without a handle, palette or device context of its own.
    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) noexcept override {
        return answer(handle, 0);
    }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) noexcept override {
        return answer(palette, 0);
    }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) noexcept override {
        return answer(type, PICTYPE_BITMAP);
    }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) noexcept override {
        return width && FAILED(behaviour_.widthStatus) ? behaviour_.widthStatus
                                                       : answer(width, behaviour_.widthHimetric);
    }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) noexcept override {
        return height && FAILED(behaviour_.heightStatus)
                   ? behaviour_.heightStatus
                   : answer(height, behaviour_.heightHimetric);
    }
    HRESULT STDMETHODCALLTYPE Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC,
                                     OLE_YPOS_HIMETRIC, OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC,
                                     LPCRECT) noexcept override {
        if (!dc)
            return E_INVALIDARG;
        if (FAILED(behaviour_.renderStatus))
            return behaviour_.renderStatus;
        ++renders_;
        const win::UniqueBrush black(::CreateSolidBrush(RGB(0, 0, 0)));
        const RECT figure{x, y, x + cx, y + cy};
        ::FillRect(dc, &figure, black.get());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC* dc) noexcept override { return answer(dc, nullptr); }
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) noexcept override {
        return answer(keep, FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PictureChanged() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, BOOL, LONG*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) noexcept override {
        return answer(attributes, 0);
    }

    // IDispatch: no members are offered by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        return answer(count, 0);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    // Stores `value` through an out-parameter, as every property read answers.
    template <typename T>
    static HRESULT answer(T* out, std::type_identity_t<T> value) noexcept {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }

    FakePictureBehaviour behaviour_;
    int renders_ = 0;
};

} // namespace cutshape::test
