// `tovrane render INPUT.gif OUTPUT.png [--frame N] [--transparent]`: frame N (from 1)
// of an animated GIF as the preview's animator shows it when the animation plays from
// its first frame. With --transparent, what the frame leaves undrawn is transparent
// in the picture; otherwise it shows the colour the animator fills with. Exit codes as
// for movies: 0 done, 1 the input cannot be read or the output cannot be written, 2
// usage errors.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// True when the file starts as a GIF does.
bool LooksLikeGif(const std::string& path);

int RunGifRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
