// The pictures a page shows in its panel until a file is opened: a small drawing of
// the page's conversion, made at start-up, so no image files ship with the program.
#pragma once

#include <QPixmap>

inline constexpr int PlaceholderWidth = 442;
inline constexpr int PlaceholderHeight = 319;

enum class PlaceholderKind { FlashToGif, FlashToAvi, FlashToImages, VideoToGif };

QPixmap PlaceholderPicture(PlaceholderKind kind);
