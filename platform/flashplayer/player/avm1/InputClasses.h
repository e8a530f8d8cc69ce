// Key, Mouse and Selection.
#pragma once

#include "Value.h"

namespace flash::avm1 {

class Interpreter;

void installInputClasses(Interpreter& in, Object& global);

}  // namespace flash::avm1
