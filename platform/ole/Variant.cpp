#include "Variant.h"

#include "Dispatch.h"
#include "WideString.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {
bool ownsInterface(VARTYPE vt)
{
    return vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

void copyInto(VARIANT& dest, const VARIANT& src)
{
    dest.vt = src.vt;
    dest.m_raw = src.m_raw;
    dest.bstrVal = src.vt == VT_BSTR ? src.bstrVal : BSTR();
    if (ownsInterface(src.vt) && src.punkVal)
        src.punkVal->AddRef();
}

// The value behind a by-reference variant, as a plain variant.
std::optional<VARIANT> dereference(const VARIANT& src)
{
    if (!(src.vt & VT_BYREF))
        return src;
    if (!src.byref)
        return std::nullopt;
    VARIANT v;
    switch (src.vt & VT_TYPEMASK) {
    case VT_I2: v.vt = VT_I2; v.iVal = *src.piVal; break;
    case VT_I4: v.vt = VT_I4; v.lVal = *src.plVal; break;
    case VT_BOOL: v.vt = VT_BOOL; v.boolVal = *src.pboolVal; break;
    case VT_R8: v.vt = VT_R8; v.dblVal = *src.pdblVal; break;
    case VT_BSTR: v = VariantFromString(*src.pbstrVal); break;
    case VT_UNKNOWN: v = VariantFromUnknown(*src.ppunkVal); break;
    case VT_DISPATCH: v = VariantFromDispatch(*src.ppdispVal); break;
    case VT_VARIANT:
        if (src.pvarVal->vt & VT_BYREF)
            return std::nullopt;  // one level only, as the platform allows
        return *src.pvarVal;
    default: return std::nullopt;
    }
    return v;
}

std::optional<double> parseNumber(const std::u16string& text)
{
    std::string s = WideToUtf8(text);
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos)
        return std::nullopt;
    s = s.substr(b, e - b + 1);
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<double> numericValue(const VARIANT& v, HRESULT& error)
{
    error = DISP_E_TYPEMISMATCH;
    switch (v.vt) {
    case VT_EMPTY: return 0.0;
    case VT_I1: return v.cVal;
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_UI2: return v.uiVal;
    case VT_I4: return v.lVal;
    case VT_INT: return v.intVal;
    case VT_UI4: return v.ulVal;
    case VT_UINT: return v.uintVal;
    case VT_R4: return v.fltVal;
    case VT_R8: return v.dblVal;
    case VT_BOOL: return v.boolVal ? -1.0 : 0.0;
    case VT_BSTR: {
        std::u16string lower;
        for (char16_t c : v.bstrVal.str())
            lower.push_back(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        if (lower == u"true")
            return -1.0;
        if (lower == u"false")
            return 0.0;
        return parseNumber(v.bstrVal.str());
    }
    default: return std::nullopt;
    }
}

std::u16string formatNumber(double d)
{
    char buf[64];
    if (d == std::floor(d) && std::fabs(d) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", d);
    else
        std::snprintf(buf, sizeof buf, "%.15g", d);
    std::string s = buf;
    return std::u16string(s.begin(), s.end());
}

// Integer targets round half to even, as automation coercion does.
template <class T>
std::optional<T> toInteger(double d)
{
    double r = std::nearbyint(d);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return T(r);
}

HRESULT toNumeric(VARIANT& out, double d, VARTYPE vt)
{
    out.vt = vt;
    auto assign = [&](auto value, auto& field) -> HRESULT {
        if (!value)
            return DISP_E_OVERFLOW;
        field = *value;
        return S_OK;
    };
    switch (vt) {
    case VT_I1: return assign(toInteger<int8_t>(d), out.cVal);
    case VT_UI1: return assign(toInteger<uint8_t>(d), out.bVal);
    case VT_I2: return assign(toInteger<int16_t>(d), out.iVal);
    case VT_UI2: return assign(toInteger<uint16_t>(d), out.uiVal);
    case VT_I4: return assign(toInteger<int32_t>(d), out.lVal);
    case VT_INT: return assign(toInteger<int32_t>(d), out.intVal);
    case VT_UI4: return assign(toInteger<uint32_t>(d), out.ulVal);
    case VT_UINT: return assign(toInteger<uint32_t>(d), out.uintVal);
    case VT_R4: out.fltVal = float(d); return S_OK;
    case VT_R8: out.dblVal = d; return S_OK;
    case VT_BOOL: out.boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT convert(VARIANT& out, const VARIANT& src, USHORT flags, VARTYPE vt)
{
    if (vt == VT_EMPTY)
        return S_OK;
    if (vt == src.vt) {
        out = src;
        return S_OK;
    }
    if (vt == VT_UNKNOWN && src.vt == VT_DISPATCH) {
        out = VariantFromUnknown(src.pdispVal);
        return S_OK;
    }
    if (vt == VT_DISPATCH && src.vt == VT_UNKNOWN) {
        if (!src.punkVal)
            return DISP_E_TYPEMISMATCH;
        IDispatch* d = nullptr;
        if (FAILED(src.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))))
            return DISP_E_TYPEMISMATCH;
        out.vt = VT_DISPATCH;
        out.pdispVal = d;  // the query's reference becomes the variant's
        return S_OK;
    }
    if (vt == VT_BSTR) {
        if (src.vt == VT_BOOL && (flags & VARIANT_ALPHABOOL))
            out = VariantFromString(src.boolVal ? std::u16string_view(u"True") : u"False");
        else if (src.vt == VT_EMPTY)
            out = VariantFromString(std::u16string_view());
        else {
            HRESULT error;
            auto d = numericValue(src, error);
            if (!d)
                return error;
            out = VariantFromString(formatNumber(*d));
        }
        return S_OK;
    }
    HRESULT error;
    auto d = numericValue(src, error);
    if (!d)
        return error;
    return toNumeric(out, *d, vt);
}
}

VARIANT::VARIANT(const VARIANT& other)
{
    copyInto(*this, other);
}

VARIANT::VARIANT(VARIANT&& other) noexcept : vt(other.vt), bstrVal(std::move(other.bstrVal))
{
    m_raw = other.m_raw;
    other.vt = VT_EMPTY;
    other.m_raw = 0;
    other.bstrVal = BSTR();
}

VARIANT& VARIANT::operator=(const VARIANT& other)
{
    if (this != &other) {
        VARIANT copy(other);
        *this = std::move(copy);
    }
    return *this;
}

VARIANT& VARIANT::operator=(VARIANT&& other) noexcept
{
    if (this != &other) {
        VariantClear(this);
        vt = other.vt;
        m_raw = other.m_raw;
        bstrVal = std::move(other.bstrVal);
        other.vt = VT_EMPTY;
        other.m_raw = 0;
        other.bstrVal = BSTR();
    }
    return *this;
}

VARIANT::~VARIANT()
{
    VariantClear(this);
}

void VariantInit(VARIANT* v)
{
    // Like the platform's: no release, just an empty value (for fresh storage).
    v->vt = VT_EMPTY;
    v->m_raw = 0;
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    if (ownsInterface(v->vt) && v->punkVal)
        v->punkVal->Release();
    v->vt = VT_EMPTY;
    v->m_raw = 0;
    v->bstrVal = BSTR();
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    *dest = *src;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    auto plain = dereference(*src);
    if (!plain)
        return DISP_E_TYPEMISMATCH;
    VARIANT out;
    HRESULT hr = convert(out, *plain, flags, vt);
    if (FAILED(hr))
        return hr;
    *dest = std::move(out);
    return S_OK;
}

VARIANT VariantFromInt32(int32_t value)
{
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT VariantFromBool(bool value)
{
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT VariantFromDouble(double value)
{
    VARIANT v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT VariantFromString(BSTR value)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = std::move(value);
    return v;
}

VARIANT VariantFromString(std::u16string_view text)
{
    return VariantFromString(BSTR(text));
}

VARIANT VariantFromDispatch(IDispatch* value)
{
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    if (value)
        value->AddRef();
    return v;
}

VARIANT VariantFromUnknown(IUnknown* value)
{
    VARIANT v;
    v.vt = VT_UNKNOWN;
    v.punkVal = value;
    if (value)
        value->AddRef();
    return v;
}
