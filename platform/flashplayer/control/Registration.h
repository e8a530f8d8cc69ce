// Making the control available to hosts: registers its class id in the class
// registry, so that CoCreateInstance(CLSID_ShockwaveFlash) creates it.
#pragma once

#include "ClassRegistry.h"
#include "ControlEngine.h"

namespace flashcontrol {

// Registers the control with engines from the factory; the cookie revokes it.
HRESULT RegisterFlashControlClass(EngineFactory factory, DWORD* cookie);
// Registers the control over the real movie player. E_NOTIMPL when this build has no
// player, in which case hosts find no control and stay inert.
HRESULT RegisterFlashControlClass(DWORD* cookie);

}  // namespace flashcontrol
