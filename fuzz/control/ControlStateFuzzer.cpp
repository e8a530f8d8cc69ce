// Reads arbitrary bytes as the control's stored state. A state that loads must save
// and load again to the same properties; one that does not load leaves the state as
// it was.
#include "ControlState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace flashcontrol;
    const std::vector<uint8_t> bytes(data, data + size);
    ControlStateLimits limits;
    limits.maxStringChars = 4096;
    ControlState state;
    const ControlState untouched = state;
    if (!LoadControlState(bytes, state, limits)) {
        if (!(state == untouched))
            std::abort();
        return 0;
    }
    ControlState again;
    if (!LoadControlState(SaveControlState(state), again) || !(again == state))
        std::abort();
    return 0;
}
