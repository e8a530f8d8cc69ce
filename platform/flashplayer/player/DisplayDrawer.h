// Draws a display list with the renderer: composes matrices and colour transforms
// down the tree, opens a mask for every clip layer up to its clip depth, a layer for
// every blend mode, and lays out text runs into glyph instances.
#pragma once

#include "DisplayObject.h"
#include "Library.h"

namespace flash {

class VideoObject;

render::Matrix toRender(const swf::Matrix& m);
render::ColorTransform toRender(const swf::ColorTransform& cx);

class DisplayDrawer {
public:
    DisplayDrawer(Library& library, int maxNesting, bool smoothBitmaps)
        : m_library(library), m_renderer(library.renderer()), m_maxNesting(maxNesting), m_smooth(smoothBitmaps) {}

    void drawList(const DisplayList& list, const render::Matrix& m, const render::ColorTransform& cx, int nesting);
    // A clip's script drawing, then its children above it.
    void drawClipContent(const MovieClip& clip, const render::Matrix& m, const render::ColorTransform& cx, int nesting);

private:
    void drawDynamicMask(const MovieClip& masked, const render::Matrix& parentMatrix, int nesting);
    void drawObject(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx, int nesting);
    void drawVideo(VideoObject& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawText(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx);
    void drawEditText(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx);

    Library& m_library;
    render::Renderer& m_renderer;
    int m_maxNesting;
    bool m_smooth;
    int m_insideMask = 0;   // drawing a mask's content: setMask masks draw as plain content
};

}  // namespace flash
