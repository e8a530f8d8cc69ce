// Persistence interfaces: a control saves and loads its opaque state through a stream.
#pragma once

#include "Stream.h"

struct IPersist : IUnknown {
    static constexpr IID kIid = MakeGuid("0000010C-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;
};

struct IPersistStream : IPersist {
    static constexpr IID kIid = MakeGuid("00000109-0000-0000-C000-000000000046");
    using Base = IPersist;
    // S_OK when changed since the last save, S_FALSE otherwise.
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
};

struct IPersistStreamInit : IPersist {
    static constexpr IID kIid = MakeGuid("7FD52380-4E07-101B-AE2D-08002B2EC713");
    using Base = IPersist;
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* pCbSize) = 0;
    virtual HRESULT InitNew() = 0;
};
inline constexpr const IID& IID_IPersistStreamInit = IPersistStreamInit::kIid;
