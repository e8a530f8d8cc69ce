// The control's stored properties and their persisted form: the opaque bytes a host
// keeps for the control ("ControlData") and gives back to Load. Our own format:
//   "TVFC", version (u16 = 1), record count (u16), then per record:
//   dispatch id (i32), kind (u8: 1 integer, 2 Boolean, 3 string), value
//   (i32 | u8 | u32 character count + UTF-16LE characters). All little-endian.
// Unknown ids are skipped, so later versions can add properties.
#pragma once

#include "Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace flashcontrol {

struct ControlState {
    std::u16string movie;
    std::u16string base;
    std::u16string wmode = u"Window";
    std::u16string swRemote;
    std::u16string flashVars;
    std::u16string allowScriptAccess = u"sameDomain";
    std::u16string movieData;
    int32_t quality = 1;          // High
    int32_t scaleMode = 0;        // ShowAll
    int32_t alignMode = 0;        // centred
    int32_t backgroundColor = -1; // the movie's own
    bool loop = true;
    bool playing = true;          // play as soon as a movie is loaded
    bool menu = true;
    bool deviceFont = false;
    bool embedMovie = false;
    bool seamlessTabbing = true;

    friend bool operator==(const ControlState&, const ControlState&) = default;
};

// Bounds for reading stored state, which may come from anywhere.
struct ControlStateLimits {
    uint32_t maxRecords = 64;
    uint32_t maxStringChars = 1 << 20;
};

std::vector<uint8_t> SaveControlState(const ControlState& state);
// Reads stored state; on any error the state is left untouched and false returned.
bool LoadControlState(const std::vector<uint8_t>& bytes, ControlState& state, const ControlStateLimits& limits = {});

}  // namespace flashcontrol
