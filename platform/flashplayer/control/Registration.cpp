#include "Registration.h"

#include "FlashControl.h"

#ifdef TOVRANE_CONTROL_HAS_PLAYER
#include "PlayerEngine.h"
#endif

namespace flashcontrol {

HRESULT RegisterFlashControlClass(EngineFactory factory, DWORD* cookie)
{
    if (!factory || !cookie)
        return E_INVALIDARG;
    auto classFactory = MakeClassFactory([factory] { return CreateFlashControl(factory()); });
    return CoRegisterClassObject(CLSID_ShockwaveFlash, classFactory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
        cookie);
}

HRESULT RegisterFlashControlClass(DWORD* cookie)
{
#ifdef TOVRANE_CONTROL_HAS_PLAYER
    return RegisterFlashControlClass([] { return std::unique_ptr<ControlEngine>(new PlayerEngine()); }, cookie);
#else
    if (cookie)
        *cookie = 0;
    return E_NOTIMPL;
#endif
}

}  // namespace flashcontrol
