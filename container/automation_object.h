#pragma once
// IDispatch for the container's own automation objects (forms, the file dialog, control
// sites, extended controls): no type information, member names looked up case-insensitively
// in the object's table, each call handed to the object as a DispatchCall, and every error
// returned through the one dispatch boundary with its number, source and text.
//
//   class Form final : public win::ComObject<Form, win::Implements<IDispatch, AutomationObject>>
//   { void invokeMember(DISPID id, DispatchCall& call) override; ... };
//
// and gives its member table (members) and its name in error information (sourceName).

#include "win/variant.h"

#include <concepts>
#include <oaidl.h>
#include <span>
#include <string_view>

namespace cutshape::container {

struct DispatchMember {
    const wchar_t* name;
    DISPID id;
};

// One call of a member: how it was called, its arguments, and where its value goes.
class DispatchCall {
public:
    DispatchCall(WORD flags, const DISPPARAMS& parameters, VARIANT* result) noexcept
        : flags_(flags), parameters_(parameters), result_(result) {}

    // A property put (by value or by reference).
    bool isPut() const noexcept;
    // A property get or a method call that is not also a put.
    bool isGet() const noexcept;
    // The one value of a put converted to `type`: any other count of arguments is
    // DISP_E_BADPARAMCOUNT, a value that does not convert the runtime's type mismatch.
    win::Variant value(VARTYPE type) const;

    // The value of a get; dropped when the caller asked for none. A member that is read
    // with a put, or called in a way it does not support, is not found.
    void returns(win::Variant value);
    template <std::same_as<bool> Bool>
    void returns(Bool value) {
        returnsBool(value);
    }
    void returns(LONG value);
    void returns(float value);
    void returns(std::wstring_view text);
    void returns(IDispatch* object); // adds a reference; null is Nothing

private:
    void returnsBool(bool value);

    WORD flags_;
    const DISPPARAMS& parameters_;
    VARIANT* result_;
};

// IDispatch without type information: callers reach members by name or identifier only.
class UntypedDispatch : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept final;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept final;

protected:
    virtual ~UntypedDispatch() = default;
};

class AutomationObject : public UntypedDispatch {
public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept final;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) noexcept final;

protected:
    ~AutomationObject() override = default;

    // The members that callers may look up by name; none for objects reached by identifier
    // only.
    virtual std::span<const DispatchMember> members() const noexcept { return {}; }
    // The object's name in error information.
    virtual const wchar_t* sourceName() const noexcept = 0;
    // Runs member `id`; throws for an unknown member (memberNotFound) or a failure.
    virtual void invokeMember(DISPID id, DispatchCall& call) = 0;
    [[noreturn]] static void memberNotFound();

    friend class DispatchCall;
};

} // namespace cutshape::container
