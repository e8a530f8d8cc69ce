// The captions are Traditional Chinese: without a font that has those glyphs every
// caption is a row of boxes, so the program picks one explicitly.
#pragma once

#include <QString>

// The family used for the windows: a preferred CJK family when installed, otherwise
// any family that covers Traditional Chinese, otherwise the default one.
QString ChooseCaptionFamily();

// Makes it the application's font, 12 pixels high.
void UseCaptionFont();
