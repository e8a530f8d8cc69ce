// Which compressed format a save dialog's answer asks for: the name's extension first,
// then the chosen filter (the entries after the page's own format).
#pragma once

#include "VideoFormats.h"

#include <optional>
#include <string>
#include <vector>

// "MP4 影片 (H.264)|*.mp4|..." for the listed formats, in order.
std::string VideoFilters(const std::vector<VideoFormat>& listed);

// The format to write, or none for the page's own format (filter 1 or its extension).
std::optional<VideoFormat> ChosenVideoFormat(const std::string& fileName, int filterIndex,
                                             const std::vector<VideoFormat>& listed, const std::string& ownExtension);

// The name to write: kept when it ends in the format's extension, else by the
// single-file rule with that extension.
std::string VideoOutputName(const std::string& fileName, VideoFormat format);
