// `tovrane render INPUT.swf OUTPUT.png [--frame N] [--size WxH] [--transparent]
// [--quality low|medium|high|best] [--input EVENTS]`: plays the movie from its start in
// virtual time and writes the picture shown after N frames (N = 1 is the first frame,
// whose actions have run). The movie's loads are read from files relative to its
// folder; EVENTS is a scripted input file (see ScriptedInput.h). Exit codes: 0 done,
// 1 the input cannot be read or the output cannot be written, 2 usage errors.
#pragma once

#include "Player.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace flash {

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct RenderRequest {
    std::string input;
    std::string output;
    int frame = 1;
    int width = 0;        // 0: the stage size
    int height = 0;
    bool transparent = false;
    Quality quality = Quality::High;
    std::string inputScript;   // path of the scripted input, empty: none
};

// "low", "medium", "high" or "best" (any case); nothing for other words.
std::optional<Quality> qualityByName(const std::string& name);

// Parses the arguments after "render"; an error text for people on failure.
std::optional<RenderRequest> parseRenderArguments(const std::vector<std::string>& args, std::string& error);

}  // namespace flash
