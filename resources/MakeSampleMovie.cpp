// Writes the sample movie shipped with the program: three seconds at 12 frames per
// second, a yellow square crossing a blue stage while a red bar grows under it.
#include "swf/Writer.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_movie OUTPUT.swf\n");
        return 2;
    }
    constexpr int Width = 320, Height = 240, Frames = 36, Twips = 20;
    swf::MovieBuilder movie(Width, Height, 12.0);
    movie.setBackground(swf::Rgba{20, 40, 120, 255});
    const auto square = movie.addRectangle(swf::Rect{0, 60 * Twips, 0, 60 * Twips}, swf::Rgba{250, 210, 40, 255});
    const auto bar = movie.addRectangle(swf::Rect{0, Width * Twips, 0, 20 * Twips}, swf::Rgba{220, 40, 40, 255});
    for (int f = 0; f < Frames; ++f) {
        const double progress = double(f) / (Frames - 1);
        const swf::Matrix squareAt = swf::Matrix::translate(int(progress * (Width - 60)) * Twips, 70 * Twips);
        swf::Matrix barAt = swf::Matrix::scale(0.05 + 0.95 * progress, 1.0);
        barAt.ty = 180 * Twips;
        if (f == 0) {
            movie.place(bar, 1, barAt);
            movie.place(square, 2, squareAt);
        } else {
            movie.move(1, barAt);
            movie.move(2, squareAt);
        }
        movie.showFrame();
    }
    if (!movie.save(argv[1]).ok()) {
        std::fprintf(stderr, "make_sample_movie: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
