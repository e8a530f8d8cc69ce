// The QPainter backend of the renderer: rasterises into the caller's surface through a
// QImage that wraps its pixels. Whoever assembles the engine (the control, the command
// line, tests) creates it and hands it to the player as a render::Renderer.
#pragma once

#include "render/Renderer.h"

#include <memory>

namespace render {

std::unique_ptr<Renderer> createPainterRenderer();

}  // namespace render
