#pragma once
// Loads Cutshape.ocx the way a container does (LoadLibrary, DllGetClassObject), hosts
// instances on real forms, and calls them late-bound by dispatch identifier; and what the
// probes share: status texts, a deterministic number generator, a fault list and wmain.

#include "container/control_site.h"
#include "container/form.h"
#include "container/property_bag.h"
#include "runtime/picture.h"
#include "tools/container_kinds/container_kind.h"
#include "win/com_ptr.h"
#include "win/variant.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <oaidl.h>
#include <string>
#include <vector>

namespace cutshape::test {

inline constexpr CLSID kCutshapeClsid = {
    0x1CD0A9FA, 0x0E57, 0x487D, {0xAF, 0x64, 0x51, 0x0C, 0x36, 0xE1, 0xCD, 0x92}};
inline constexpr IID kCutshapeInterface = {
    0x8C1BA95C, 0xDEA4, 0x49C6, {0xB5, 0xE5, 0x1D, 0xF6, 0xFF, 0x92, 0x25, 0x03}};
inline constexpr IID kEarlierCutshapeInterface = {
    0x2991EEC6, 0xB7E8, 0x40E7, {0x9E, 0x07, 0x02, 0x45, 0xB4, 0xB3, 0x00, 0x7A}};
inline constexpr IID kEventInterface = {
    0xC4D9D413, 0x6328, 0x405F, {0xA3, 0xDF, 0xCE, 0xB8, 0x0F, 0xF9, 0xDB, 0xB7}};
inline constexpr IID kEarlierEventInterface = {
    0x21B76C49, 0xEA1B, 0x4002, {0x91, 0x03, 0x23, 0xC9, 0x01, 0xFE, 0xC2, 0xD9}};

namespace dispid {
inline constexpr DISPID kPicture = 0x68030000;
inline constexpr DISPID kLoad = 0x60030007;
inline constexpr DISPID kRestore = 0x60030008;
inline constexpr DISPID kMove = 0x6003000B;
inline constexpr DISPID kRefresh = 0x6003000C;
inline constexpr DISPID kAbout = -552;
inline constexpr DISPID kMaskColor = 0x6803000F;
inline constexpr DISPID kShowPicture = 0x6803000E;
inline constexpr DISPID kAutomaticMaskColor = 0x6803000D;
} // namespace dispid

// The library, loaded once per process from the path the build passes in.
class ControlLibrary {
public:
    static ControlLibrary& instance();
    HRESULT canUnloadNow() const;
    win::ComPtr<IClassFactory> factory() const;
    win::ComPtr<IUnknown> create() const;

private:
    ControlLibrary();
    HMODULE module_ = nullptr;
};

// The result of one dispatch call.
struct Call {
    HRESULT status = E_FAIL;
    win::Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;

    Call() = default;
    Call(Call&&) noexcept = default;
    ~Call();
    std::wstring source() const { return exception.bstrSource ? exception.bstrSource : L""; }
    std::wstring description() const {
        return exception.bstrDescription ? exception.bstrDescription : L"";
    }
};

// Invokes `id` with `arguments` given in call order (the harness reverses them).
Call invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> arguments = {});
Call get(IDispatch* object, DISPID id);
Call put(IDispatch* object, DISPID id, VARIANT value);
Call putRef(IDispatch* object, DISPID id, IDispatch* value);
Call call(IDispatch* object, DISPID id, std::vector<VARIANT> arguments = {});
// Load with `picture`.
Call loadCall(IDispatch* control, const runtime::Picture& picture);

// A variant of `type` holding `value`'s bytes: every member of a VARIANT's value starts at
// the same offset, so this serves every type of up to eight bytes.
template <class T>
VARIANT variantOfType(VARTYPE type, T value) {
    static_assert(sizeof(T) <= sizeof(LONGLONG));
    VARIANT variant{};
    variant.vt = type;
    std::memcpy(&variant.llVal, &value, sizeof value);
    return variant;
}

VARIANT variantOf(IDispatch* object);
VARIANT variantOf(LONG value);
VARIANT variantOfBool(bool value);
VARIANT missingArgument();
// A BSTR variant; the harness frees nothing passed in, so callers keep it alive.
VARIANT variantOf(BSTR text);

// A control hosted on its own form, closed when dropped; `container` says what the site
// offers the control as its form, and `standIn` is the Parent standing in for another
// environment's form when that kind has one.
struct HostedControl {
    win::ComPtr<container::Form> form;
    win::ComPtr<container_kinds::ParentStandIn> standIn;
    win::ComPtr<container::ControlSite> site;
    win::ComPtr<IDispatch> control;

    HostedControl(container::FormDesign design, bool userMode, IPropertyBag* stored = nullptr,
                  container_kinds::ContainerKind container = container_kinds::ContainerKind::Form);
    // A new control on an existing form (which may have held others before).
    HostedControl(win::ComPtr<container::Form> existing, bool userMode,
                  IPropertyBag* stored = nullptr,
                  container_kinds::ContainerKind container = container_kinds::ContainerKind::Form);
    HostedControl(HostedControl&&) noexcept = default;
    ~HostedControl();
};

// `value` as "0x" and eight hexadecimal digits, as statuses are written.
std::string hexOf(unsigned long value);

// splitmix64: the same numbers on every platform, so a mutant is the same on every run.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t limit) { return static_cast<std::size_t>(next() % limit); }

private:
    std::uint64_t state_;
};

// What a probe found wrong: printed as "fault: ..." lines, the first 20 of them in full.
class ProbeFaults {
public:
    void add(std::string text);
    bool empty() const noexcept { return count_ == 0; }
    void print() const;

private:
    std::vector<std::string> listed_;
    std::size_t count_ = 0;
};

// A probe's wmain around `run`: OLE initialised for it, its output flushed. 3 when OLE
// cannot start or `run` throws (the error is printed after `name`), else what `run` returns.
int runProbe(const char* name, const std::function<int()>& run);

} // namespace cutshape::test
