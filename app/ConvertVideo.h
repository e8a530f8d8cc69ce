// `tovrane convert` for videos: page 4 of the main window, offscreen, driven through
// its handlers as a person would (open, settings, start from the beginning, the stop
// at the video's end, Save GIF).
#pragma once

#include "ConvertOptions.h"

#include <ostream>
#include <string>

// True when the file is a video for the video page rather than a Flash movie: its
// content is neither SWF nor FLV and FFmpeg recognises it, or it carries a video's
// extension (so that a damaged video is reported as one).
bool IsVideoInput(const std::string& path);

// Converts one video to GIF; true when the GIF was saved. Needs a QApplication.
bool ConvertVideo(const ConvertRequest& request, const ConvertJob& job, std::ostream& err);
