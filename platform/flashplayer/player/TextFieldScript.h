// The script side of text fields: MovieClip.createTextField, the TextField methods
// (getTextFormat, setTextFormat, getNewTextFormat, setNewTextFormat, removeTextField)
// and the TextFormat class.
#pragma once

#include "avm1/Interpreter.h"

namespace flash {

void installTextFieldScripting(avm1::Interpreter& in);

}  // namespace flash
