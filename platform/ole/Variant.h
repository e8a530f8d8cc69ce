// VARIANT: the automation value. The scalar fields share storage as on the platform,
// so reading lVal of a VT_BOOL variant sees the 16-bit value widened by its neighbour
// bytes; callers read the field that vt names. A variant owns its string and its
// interface reference; copying adds a reference, destruction releases it.
#pragma once

#include "Bstr.h"
#include "HResult.h"
#include "OleTypes.h"

#include <string_view>

struct IUnknown;
struct IDispatch;

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    union {
        int32_t lVal;
        int16_t iVal;
        VARIANT_BOOL boolVal;
        int8_t cVal;
        uint8_t bVal;
        uint16_t uiVal;
        uint32_t ulVal;
        int32_t intVal;
        uint32_t uintVal;
        float fltVal;
        double dblVal;
        SCODE scode;
        IUnknown* punkVal;    // owned reference
        IDispatch* pdispVal;  // owned reference
        // By-reference forms point into the caller's storage and own nothing.
        int16_t* piVal;
        int32_t* plVal;
        VARIANT_BOOL* pboolVal;
        double* pdblVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        void* byref;
        int64_t m_raw = 0;  // zero-fills the storage
    };
    BSTR bstrVal;  // kept beside the union: a class cannot share it

    VARIANT() = default;
    VARIANT(const VARIANT& other);
    VARIANT(VARIANT&& other) noexcept;
    VARIANT& operator=(const VARIANT& other);
    VARIANT& operator=(VARIANT&& other) noexcept;
    ~VARIANT();
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
// Releases what the variant owns and makes it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Coerces src into dest as type vt (dest may be src). Supports the empty, integer,
// Boolean, floating-point and string types and by-reference sources; interfaces only
// to themselves. DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW when it cannot.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);

VARIANT VariantFromInt32(int32_t value);
VARIANT VariantFromBool(bool value);
VARIANT VariantFromDouble(double value);
VARIANT VariantFromString(BSTR value);
VARIANT VariantFromString(std::u16string_view text);
VARIANT VariantFromDispatch(IDispatch* value);
VARIANT VariantFromUnknown(IUnknown* value);
