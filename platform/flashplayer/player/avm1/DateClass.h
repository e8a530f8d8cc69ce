// The Date class of ActionScript 1/2.
#pragma once

#include "Value.h"

namespace flash::avm1 {

class Interpreter;

void installDateClass(Interpreter& in, Object& global);

}  // namespace flash::avm1
