#include "container/control_site.h"
#include "container/property_bag.h"

#include <gtest/gtest.h>

namespace cutshape {
namespace {

using container::ControlSite;

// The steps of hosting a control, in the order the site runs them.
enum class Step { kNone, kLoad, kInitNew, kDoVerb };

// A control that fails at one chosen step and records what its container did to it.
class FakeControl final : public win::ComObject<FakeControl, IOleObject, IPersistPropertyBag,
                                                win::Via<IPersist, IPersistPropertyBag>> {
public:
    FakeControl(Step failing, DWORD misc) : failing_(failing), misc_(misc) {}

    bool hasSite() const noexcept { return static_cast<bool>(site_); }
    bool closed() const noexcept { return closed_; }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) noexcept override {
        site_ = win::ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) noexcept override {
        *site = win::ComPtr<IOleClientSite>(site_).release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) noexcept override {
        closed_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND,
                                     LPCRECT) noexcept override {
        return failing_ == Step::kDoVerb ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) noexcept override {
        *status = misc_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) noexcept override { return E_NOTIMPL; }

    // IPersist, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) noexcept override {
        *clsid = CLSID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitNew() noexcept override {
        return failing_ == Step::kInitNew ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag*, IErrorLog*) noexcept override {
        return failing_ == Step::kLoad ? DISP_E_TYPEMISMATCH : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) noexcept override { return S_OK; }

private:
    Step failing_;
    DWORD misc_;
    win::ComPtr<IOleClientSite> site_;
    bool closed_ = false;
};

ULONG referencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class ControlSiteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }
};

// A leak on failed hosting: the control kept its site, the site its control and its form.
TEST_F(ControlSiteTest, FailedHostingBreaksTheCycleAndFreesEverything) {
    const DWORD siteFirst = OLEMISC_SETCLIENTSITEFIRST;
    const struct {
        Step failing;
        DWORD misc;
        bool stored;
        bool userMode;
    } cases[] = {
        {Step::kLoad, siteFirst, true, true},    {Step::kInitNew, siteFirst, false, true},
        {Step::kDoVerb, siteFirst, false, true}, {Step::kDoVerb, siteFirst, true, false},
        {Step::kDoVerb, 0, false, true}, // the site given after the properties
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(static_cast<int>(each.failing));
        const long objectsBefore = win::ModuleLock::count();
        {
            auto control = win::makeCom<FakeControl>(each.failing, each.misc);
            auto stored = win::makeCom<container::PropertyBag>();
            auto form = win::makeCom<container::Form>(container::FormDesign{L"site test"});
            const ControlSite::Placement placement{L"Fake1", each.userMode, RECT{0, 0, 10, 10}};
            EXPECT_THROW(ControlSite::host(form, win::ComPtr<IUnknown>(control->identity()),
                                           placement, each.stored ? stored.get() : nullptr),
                         win::Error);
            EXPECT_FALSE(control->hasSite());
            EXPECT_TRUE(control->closed());
            EXPECT_EQ(referencesOf(control->identity()), 1u);
            EXPECT_EQ(referencesOf(static_cast<IDispatch*>(form.get())), 1u);
        }
        EXPECT_EQ(win::ModuleLock::count(), objectsBefore);
    }
}

TEST_F(ControlSiteTest, HostedControlKeepsItsSiteUntilClosed) {
    const long objectsBefore = win::ModuleLock::count();
    {
        auto control = win::makeCom<FakeControl>(Step::kNone, OLEMISC_SETCLIENTSITEFIRST);
        auto form = win::makeCom<container::Form>(container::FormDesign{L"site test"});
        const auto site = ControlSite::host(form, win::ComPtr<IUnknown>(control->identity()),
                                            {L"Fake1", true, RECT{0, 0, 10, 10}}, nullptr);
        EXPECT_TRUE(control->hasSite());
        EXPECT_FALSE(control->closed());
        site->close();
        EXPECT_FALSE(control->hasSite());
        EXPECT_TRUE(control->closed());
    }
    EXPECT_EQ(win::ModuleLock::count(), objectsBefore);
}

// What the site answers a control through IDispatch: the ambient UserMode by identifier, and
// an extended control whose Name is the control's and whose Parent is the form itself.
TEST_F(ControlSiteTest, AmbientsAndTheExtendedControlAnswerWhatTheControlAsks) {
    const auto form = win::makeCom<container::Form>(container::FormDesign{});
    ControlSite::Placement placement;
    placement.name = L"Cutshape1";
    placement.userMode = false;
    const auto site = win::makeCom<ControlSite>(form, placement);
    const win::ComPtr<IDispatch> ambients = site.query<IDispatch>();

    auto read = [](IDispatch& object, DISPID id, win::Variant& value) {
        DISPPARAMS none{};
        value = win::Variant();
        return object.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.get(), nullptr,
                             nullptr);
    };
    win::Variant value;
    ASSERT_EQ(read(*ambients.get(), DISPID_AMBIENT_USERMODE, value), S_OK);
    EXPECT_EQ(value.get()->vt, VT_BOOL);
    EXPECT_EQ(value.get()->boolVal, VARIANT_FALSE);
    site->setUserMode(true);
    ASSERT_EQ(read(*ambients.get(), DISPID_AMBIENT_USERMODE, value), S_OK);
    EXPECT_EQ(value.get()->boolVal, VARIANT_TRUE);
    // An ambient the site does not offer: the control takes its own default.
    EXPECT_EQ(read(*ambients.get(), DISPID_AMBIENT_BACKCOLOR, value), DISP_E_MEMBERNOTFOUND);

    win::ComPtr<IDispatch> extender;
    ASSERT_EQ(site->GetExtendedControl(extender.put()), S_OK);
    wchar_t parentName[] = L"parent";
    wchar_t nameName[] = L"NAME";
    LPOLESTR names[] = {parentName};
    DISPID parent = DISPID_UNKNOWN;
    ASSERT_EQ(extender->GetIDsOfNames(IID_NULL, names, 1, 0, &parent), S_OK);
    ASSERT_EQ(read(*extender.get(), parent, value), S_OK);
    ASSERT_EQ(value.get()->vt, VT_DISPATCH);
    EXPECT_EQ(value.get()->pdispVal, static_cast<IDispatch*>(form.get()));
    names[0] = nameName;
    DISPID name = DISPID_UNKNOWN;
    ASSERT_EQ(extender->GetIDsOfNames(IID_NULL, names, 1, 0, &name), S_OK);
    ASSERT_EQ(read(*extender.get(), name, value), S_OK);
    ASSERT_EQ(value.get()->vt, VT_BSTR);
    EXPECT_STREQ(value.get()->bstrVal, L"Cutshape1");

    // A host that makes no extended control: the site says it has none.
    placement.extender = [](const win::ComPtr<container::Form>&, const std::wstring&) {
        return win::ComPtr<IDispatch>();
    };
    const auto bare = win::makeCom<ControlSite>(form, placement);
    win::ComPtr<IDispatch> none;
    EXPECT_EQ(bare->GetExtendedControl(none.put()), E_NOTIMPL);
    EXPECT_FALSE(none);
}

} // namespace
} // namespace cutshape
