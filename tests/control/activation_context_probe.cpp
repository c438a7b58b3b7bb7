// A client of the unregistered control: it activates a context made from the control's own
// manifest (CreateActCtx, ActivateActCtx) and creates the control by class identifier and by
// programmatic identifier, reads what the context says about the class (programmatic
// identifier, miscellaneous status, type library) and checks that the control came from the
// library beside the manifest. Before and after the context, the class must be unknown.
//   activation_context_probe <Cutshape.manifest>
// Prints one line per check; the exit code is the number of failed checks.

#include "cutshape_h.h"
#include "win/com_ptr.h"
#include "win/error.h"
#include "win/handles.h"

#include <cstdio>
#include <string>

namespace {

using namespace cutshape;

constexpr DISPID kMaskColor = 0x6803000F;
constexpr DWORD kContentStatus = 0x20591;
constexpr const wchar_t* kProgId = L"CutshapeCtrl.Cutshape";

struct ActivationContextTraits {
    using Handle = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE context) noexcept { ::ReleaseActCtx(context); }
};
using UniqueActivationContext = win::Unique<ActivationContextTraits>;

// The context is the thread's active one while this lives.
class Activation {
public:
    explicit Activation(HANDLE context) {
        if (!::ActivateActCtx(context, &cookie_))
            win::throwLastError(L"ActivateActCtx");
    }
    ~Activation() { ::DeactivateActCtx(0, cookie_); }
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;

private:
    ULONG_PTR cookie_ = 0;
};

inline void freeTaskString(wchar_t* text) noexcept {
    ::CoTaskMemFree(text);
}
inline void freeString(BSTR text) noexcept {
    ::SysFreeString(text);
}
using UniqueTaskString = win::Unique<win::NullHandleTraits<wchar_t*, freeTaskString>>;
using UniqueBstr = win::Unique<win::NullHandleTraits<BSTR, freeString>>;

std::wstring text(const wchar_t* value) {
    return value ? value : L"";
}

int failures = 0;
void report(bool ok, const char* what, HRESULT status = S_OK) {
    if (ok) {
        std::printf("ok: %s\n", what);
    } else {
        ++failures;
        std::printf("FAIL: %s (0x%08lX)\n", what, static_cast<unsigned long>(status));
    }
}

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring fullPath(const wchar_t* path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(path, MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH)
        win::throwLastError(L"GetFullPathNameW");
    return buffer;
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void expectUnknownClass(const char* when) {
    CLSID classId{};
    const HRESULT byName = ::CLSIDFromProgID(kProgId, &classId);
    win::ComPtr<IUnknown> object;
    const HRESULT byId = ::CoCreateInstance(CLSID_Cutshape, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IUnknown, object.putVoid());
    const std::string what = std::string(when) + ": the class is unknown (nothing registered)";
    report(FAILED(byName) && byId == REGDB_E_CLASSNOTREG, what.c_str(), byId);
}

void checkInsideContext(const std::wstring& manifestFolder) {
    // Inside a context the programmatic identifier resolves to an identifier the context
    // generates for the class (as Windows does), not to the class identifier itself: what
    // counts is that it creates the control.
    CLSID classId{};
    HRESULT status = ::CLSIDFromProgID(kProgId, &classId);
    report(SUCCEEDED(status), "the programmatic identifier resolves", status);

    UniqueTaskString progId;
    status = ::ProgIDFromCLSID(CLSID_Cutshape, progId.put());
    report(SUCCEEDED(status) && text(progId.get()) == kProgId,
           "the class names its programmatic identifier", status);

    // By class identifier, through the function table of the dual interface.
    win::ComPtr<_Cutshape> control;
    status = ::CoCreateInstance(CLSID_Cutshape, nullptr, CLSCTX_INPROC_SERVER, IID__Cutshape,
                                control.putVoid());
    report(SUCCEEDED(status), "created by class identifier", status);
    if (control) {
        OLE_COLOR color = 0;
        status = control->put_MaskColor(0x00FF00FF);
        if (SUCCEEDED(status))
            status = control->get_MaskColor(&color);
        report(SUCCEEDED(status) && color == 0x00FF00FF, "MaskColor through the function table",
               status);
    }

    // By programmatic identifier, through IDispatch.
    win::ComPtr<IDispatch> dispatch;
    status = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                dispatch.putVoid());
    CLSID createdClass{};
    if (SUCCEEDED(status))
        status = dispatch.query<IPersist>()->GetClassID(&createdClass);
    report(SUCCEEDED(status) && IsEqualCLSID(createdClass, CLSID_Cutshape),
           "created by programmatic identifier: the object is the control", status);
    if (dispatch) {
        std::wstring name = L"MaskColor";
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        status = dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        report(SUCCEEDED(status) && id == kMaskColor, "MaskColor has its dispatch identifier",
               status);
    }

    const HMODULE library = ::GetModuleHandleW(L"Cutshape.ocx");
    wchar_t libraryPath[MAX_PATH] = L"";
    if (library)
        ::GetModuleFileNameW(library, libraryPath, MAX_PATH);
    report(library && samePath(folderOf(libraryPath), manifestFolder),
           "the control came from the library beside the manifest");

    DWORD misc = 0;
    status = ::OleRegGetMiscStatus(CLSID_Cutshape, DVASPECT_CONTENT, &misc);
    report(SUCCEEDED(status) && misc == kContentStatus,
           "the miscellaneous status of the content aspect", status);

    win::ComPtr<ITypeLib> typeLibrary;
    status = ::LoadRegTypeLib(LIBID_CutshapeCtrl, 16, 1, 0, typeLibrary.put());
    UniqueBstr libraryName;
    if (SUCCEEDED(status))
        status = typeLibrary->GetDocumentation(-1, libraryName.put(), nullptr, nullptr, nullptr);
    report(SUCCEEDED(status) && text(libraryName.get()) == L"CutshapeCtrl",
           "the type library 16.1 is found through the context", status);
}

int run(const wchar_t* manifest) {
    win::check(::CoInitialize(nullptr), L"CoInitialize");
    expectUnknownClass("before the context");
    const std::wstring manifestPath = fullPath(manifest);
    ACTCTXW description{};
    description.cbSize = sizeof(description);
    description.lpSource = manifestPath.c_str();
    UniqueActivationContext context(::CreateActCtxW(&description));
    if (!context)
        win::throwLastError(L"CreateActCtxW");
    {
        Activation activation(context.get());
        checkInsideContext(folderOf(manifestPath));
    }
    expectUnknownClass("after the context");
    ::CoUninitialize();
    return failures;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: activation_context_probe <Cutshape.manifest>\n");
        return 100;
    }
    try {
        return run(argv[1]);
    } catch (const std::exception& error) {
        std::printf("FAIL: %s\n", error.what());
        return 100;
    }
}
