// Video from scripts: NetConnection (connect(null) only: no server), NetStream over
// it, and the Video methods attachVideo and clear.
#pragma once

#include "Value.h"

namespace flash::avm1 {

void installVideoMethods(Object& clipMethods);
void installNetStreamClasses(Object& global);

}  // namespace flash::avm1
