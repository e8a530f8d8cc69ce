#include "Dispatch.h"

#include <vector>

VARIANT* DispArg(const DISPPARAMS* params, UINT index)
{
    if (!params || !params->rgvarg || index >= params->cArgs)
        return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}

HRESULT DispInvokeMethod(IDispatch* target, DISPID id, std::initializer_list<VARIANT> args, VARIANT* result,
    EXCEPINFO* excep)
{
    if (!target)
        return E_POINTER;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::vector<VARIANT>(reversed.rbegin(), reversed.rend()).swap(reversed);
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = UINT(reversed.size());
    EXCEPINFO local;
    UINT argErr = 0;
    return target->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, excep ? excep : &local, &argErr);
}

HRESULT DispGetProperty(IDispatch* target, DISPID id, VARIANT* result, EXCEPINFO* excep)
{
    if (!target || !result)
        return E_POINTER;
    VariantClear(result);
    DISPPARAMS params;
    EXCEPINFO local;
    UINT argErr = 0;
    return target->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, result, excep ? excep : &local, &argErr);
}

HRESULT DispPutProperty(IDispatch* target, DISPID id, const VARIANT& value, EXCEPINFO* excep)
{
    if (!target)
        return E_POINTER;
    VARIANT arg = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params;
    params.rgvarg = &arg;
    params.rgdispidNamedArgs = &named;
    params.cArgs = 1;
    params.cNamedArgs = 1;
    WORD flags = (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    EXCEPINFO local;
    UINT argErr = 0;
    return target->Invoke(id, IID_NULL, 0, flags, &params, nullptr, excep ? excep : &local, &argErr);
}
