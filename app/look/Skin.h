// The program's skin: one style sheet for buttons, number fields, lists, track bars,
// group boxes and page tabs, so every window looks the same on every desktop.
#pragma once

#include <QString>

QString SkinStyleSheet();

// Fusion as the base style (the same on every desktop) with the skin on top.
void ApplySkin();
