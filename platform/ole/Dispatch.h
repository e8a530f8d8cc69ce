// IDispatch with its argument and exception records, and helpers for calling it the
// way automation clients do (arguments last-first, property puts named -3).
#pragma once

#include "Unknown.h"
#include "Variant.h"

#include <initializer_list>

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// Arguments arrive last-first: rgvarg[0] is the last declared argument. Named
// arguments (a property put's value, id -3) come first in rgvarg.
struct DISPPARAMS {
    VARIANTARG* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    WORD wReserved = 0;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext = 0;
    void* pvReserved = nullptr;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*) = nullptr;
    SCODE scode = 0;
};

// Type information is not offered by any object of this program; the interface is
// declared so that the IDispatch slots keep their platform shape.
struct ITypeInfo : IUnknown {
    static constexpr IID kIid = MakeGuid("00020401-0000-0000-C000-000000000046");
    using Base = IUnknown;
};

struct IDispatch : IUnknown {
    static constexpr IID kIid = MakeGuid("00020400-0000-0000-C000-000000000046");
    using Base = IUnknown;

    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
};
inline constexpr const IID& IID_IDispatch = IDispatch::kIid;

// The argument at declared position index (0 = first), or null when absent.
VARIANT* DispArg(const DISPPARAMS* params, UINT index);

// Calls a method with its arguments in declared order (they are reversed for the call).
HRESULT DispInvokeMethod(IDispatch* target, DISPID id, std::initializer_list<VARIANT> args,
    VARIANT* result = nullptr, EXCEPINFO* excep = nullptr);
// Property get into result (cleared first); property put of one value, named -3 (a put
// by reference for interface values).
HRESULT DispGetProperty(IDispatch* target, DISPID id, VARIANT* result, EXCEPINFO* excep = nullptr);
HRESULT DispPutProperty(IDispatch* target, DISPID id, const VARIANT& value, EXCEPINFO* excep = nullptr);
