// A dispatch object for tests: records every Invoke with its arguments in declared
// order, and answers property gets from a value it is given.
#pragma once

#include "Dispatch.h"

#include <vector>

struct RecordedCall {
    DISPID id = 0;
    WORD flags = 0;
    std::vector<VARIANT> args;  // declared order
    std::vector<DISPID> named;
};

class RecordingDispatch final : public ComObject<IDispatch> {
public:
    std::vector<RecordedCall> calls;
    VARIANT answer;
    HRESULT result = S_OK;

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* out, EXCEPINFO*, UINT*) override
    {
        RecordedCall call{id, flags, {}, {}};
        for (UINT i = 0; params && i < params->cArgs; ++i)
            call.args.push_back(*DispArg(params, i));
        for (UINT i = 0; params && i < params->cNamedArgs; ++i)
            call.named.push_back(params->rgdispidNamedArgs[i]);
        calls.push_back(std::move(call));
        if (out)
            *out = answer;
        return result;
    }
};
