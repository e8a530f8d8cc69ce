// Draws a display list with the renderer: composes matrices and colour transforms
// down the tree, opens a mask for every clip layer up to its clip depth, a layer for
// every blend mode or filter list, and lays out text runs into glyph instances.
#pragma once

#include "DisplayObject.h"
#include "Library.h"

#include <optional>

namespace flash {

class VideoObject;
class AttachedBitmap;

render::Matrix toRender(const swf::Matrix& m);
render::ColorTransform toRender(const swf::ColorTransform& cx);
// Bounds of a character instance in its own space (twips), children included.
std::optional<swf::Rect> localBounds(const swf::Movie& movie, const DisplayObject& object, int nesting);

class DisplayDrawer {
public:
    DisplayDrawer(Library& library, int maxNesting, bool smoothBitmaps)
        : m_library(library), m_renderer(library.renderer()), m_maxNesting(maxNesting), m_smooth(smoothBitmaps) {}

    void drawList(const DisplayList& list, const render::Matrix& m, const render::ColorTransform& cx, int nesting);
    // A clip's script drawing, then its children above it.
    void drawClipContent(const MovieClip& clip, const render::Matrix& m, const render::ColorTransform& cx, int nesting);
    // Stage twips to surface pixels, for what is laid on whole pixels (text field boxes).
    void setStageToSurface(const render::Matrix& m) { m_stageToSurface = m; }

private:
    void drawDynamicMask(const MovieClip& masked, const render::Matrix& parentMatrix, int nesting);
    // `colored` false draws without colour transforms (a filter layer applies them).
    void drawObject(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx, int nesting,
                    bool colored = true);
    void drawOpaqueBackground(const DisplayObject& object, const render::Matrix& parentMatrix,
                              const render::ColorTransform& cx);
    void drawVideo(VideoObject& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawSprite(const MovieClip& clip, const render::Matrix& m, const render::ColorTransform& cx, int nesting);
    void drawAttachedBitmap(const AttachedBitmap& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawText(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawEditText(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawFieldBox(const swf::Rect& bounds, std::optional<swf::Rgba> fill, std::optional<swf::Rgba> border,
                      const render::Matrix& m, const render::ColorTransform& cx);

    Library& m_library;
    render::Renderer& m_renderer;
    int m_maxNesting;
    bool m_smooth;
    render::Matrix m_stageToSurface = render::Matrix::scale(1 / 20.0, 1 / 20.0);
    int m_insideMask = 0;   // drawing a mask's content: setMask masks draw as plain content
};

}  // namespace flash
