// The core classes of ActionScript 1/2 (Object, Function, Array, String, Number,
// Boolean, AsBroadcaster) installed into the global object.
#pragma once

#include "Value.h"

#include <memory>

namespace flash::avm1 {

class Interpreter;

// What addProperty leaves in a slot: reads call the getter, writes the setter.
struct Accessor : NativeState {
    Value getter;
    Value setter;
};

// What `super` holds: the `this` its methods run on.
struct SuperState : NativeState {
    Value self;
};

void installStandardClasses(Interpreter& in, Object& global);
// A new object that broadcasts to listeners (Key, Mouse, Stage, ...).
std::shared_ptr<Object> makeBroadcaster(Interpreter& in);

}  // namespace flash::avm1
