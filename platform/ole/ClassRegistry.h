// The class registry: where CoCreateInstance finds the factory for a class id. A
// class nobody registered fails with REGDB_E_CLASSNOTREG, as an uninstalled control
// does, so that its host takes its inert path.
#pragma once

#include "Unknown.h"

#include <functional>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

constexpr DWORD REGCLS_SINGLEUSE = 0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;

struct IClassFactory : IUnknown {
    static constexpr IID kIid = MakeGuid("00000001-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;
};
inline constexpr const IID& IID_IClassFactory = IClassFactory::kIid;

// Registers a factory (which must answer IClassFactory) for a class; the cookie
// revokes it. A second registration of the same class replaces the first until it is
// revoked, and the earlier one answers again after that.
HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags, DWORD* lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid, void** ppv);
// Creates an instance through the registered factory. Aggregation is not supported
// (CLASS_E_NOAGGREGATION); an unregistered class gives REGDB_E_CLASSNOTREG and a null
// result.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);

// A factory from a function that makes a new object's identity.
ComPtr<IClassFactory> MakeClassFactory(std::function<ComPtr<IUnknown>()> create);

// Registration for the life of a scope (tests, the program's start-up).
class ScopedClassRegistration {
public:
    ScopedClassRegistration(REFCLSID clsid, std::function<ComPtr<IUnknown>()> create);
    ~ScopedClassRegistration();
    ScopedClassRegistration(const ScopedClassRegistration&) = delete;
    ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

private:
    DWORD m_cookie = 0;
};
