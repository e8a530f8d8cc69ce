#include "StageFit.h"

#include <algorithm>
#include <cctype>

namespace flash {

namespace {

// Offset of a stage edge in the view: left/top, right/bottom or centred.
double place(double view, double content, bool low, bool high)
{
    if (low && !high)
        return 0;
    if (high && !low)
        return view - content;
    return (view - content) / 2;
}

}  // namespace

render::Matrix stageToView(const swf::Rect& stage, int viewWidth, int viewHeight, ScaleMode mode, unsigned align)
{
    const double stageW = std::max(1, stage.width()) / 20.0;
    const double stageH = std::max(1, stage.height()) / 20.0;
    double sx = 1, sy = 1;
    switch (mode) {
    case ScaleMode::ShowAll: sx = sy = std::min(viewWidth / stageW, viewHeight / stageH); break;
    case ScaleMode::NoBorder: sx = sy = std::max(viewWidth / stageW, viewHeight / stageH); break;
    case ScaleMode::ExactFit: sx = viewWidth / stageW; sy = viewHeight / stageH; break;
    case ScaleMode::NoScale: break;
    }
    const double dx = place(viewWidth, stageW * sx, align & AlignLeft, align & AlignRight);
    const double dy = place(viewHeight, stageH * sy, align & AlignTop, align & AlignBottom);
    // Stage twips -> pixels, the stage rectangle's own origin first.
    return render::Matrix::translate(dx, dy) * render::Matrix::scale(sx / 20.0, sy / 20.0) *
           render::Matrix::translate(-stage.xMin, -stage.yMin);
}

unsigned alignFromString(const std::string& text)
{
    unsigned flags = AlignCentre;
    for (char c : text) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'L': flags |= AlignLeft; break;
        case 'R': flags |= AlignRight; break;
        case 'T': flags |= AlignTop; break;
        case 'B': flags |= AlignBottom; break;
        default: break;
        }
    }
    return flags;
}

ScaleMode scaleModeFromString(const std::string& text)
{
    std::string t;
    for (char c : text)
        t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "noborder")
        return ScaleMode::NoBorder;
    if (t == "exactfit")
        return ScaleMode::ExactFit;
    if (t == "noscale")
        return ScaleMode::NoScale;
    return ScaleMode::ShowAll;
}

}  // namespace flash
