// Draws the about window's logo, 102x51: the letters "KV" with three speed bars on a dark
// gradient, and writes it as a progressive JPEG. Run it to regenerate data/logo.jpg:
//   make_logo data/logo.jpg
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

constexpr int Width = 102;
constexpr int Height = 51;
constexpr int Samples = 4; // per pixel and axis, to smooth the edges

struct Point {
    double x, y;
};
struct Colour {
    double r, g, b;
};
struct Shape {
    std::vector<Point> outline;
    Colour colour;
};

bool inside(const std::vector<Point>& poly, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point a = poly[i], b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

Colour background(double x, double y) {
    const double t = y / Height, s = x / Width;
    return {24 + 90 * t * (1 - s * 0.5), 18 + 10 * s, 60 * (1 - t) + 20};
}

// A slanted bar from x0 to x1, its top at y, h pixels high.
Shape speedBar(double x0, double x1, double y, double h, Colour c) {
    constexpr double slant = 6;
    return {{{x0 + slant, y}, {x1 + slant, y}, {x1, y + h}, {x0, y + h}}, c};
}

std::vector<Shape> shapes() {
    const Colour white{250, 250, 246};
    return {
        speedBar(62, 98, 10, 6, {230, 40, 30}),
        speedBar(56, 94, 21, 6, {245, 130, 20}),
        speedBar(50, 90, 32, 6, {250, 210, 40}),
        // K
        {{{7, 8}, {14, 8}, {14, 43}, {7, 43}}, white},
        {{{14, 23}, {25, 8}, {33, 8}, {18, 28}}, white},
        {{{18, 24}, {33, 43}, {25, 43}, {14, 30}}, white},
        // V
        {{{31, 8}, {38, 8}, {44, 33}, {50, 8}, {57, 8}, {47, 43}, {41, 43}}, white},
        // a thin base line under the letters
        {{{7, 46}, {96, 46}, {96, 47.5}, {7, 47.5}}, {200, 200, 210}},
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_logo OUTPUT.jpg\n");
        return 2;
    }
    const auto layers = shapes();
    std::vector<unsigned char> pixels(Width * Height * 3);
    for (int py = 0; py < Height; ++py)
        for (int px = 0; px < Width; ++px) {
            Colour sum{0, 0, 0};
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx) {
                    const double x = px + (sx + 0.5) / Samples, y = py + (sy + 0.5) / Samples;
                    Colour c = background(x, y);
                    for (const auto& shape : layers)
                        if (inside(shape.outline, x, y))
                            c = shape.colour;
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            const double n = Samples * Samples;
            unsigned char* out = &pixels[(py * Width + px) * 3];
            out[0] = static_cast<unsigned char>(std::clamp(sum.r / n, 0.0, 255.0));
            out[1] = static_cast<unsigned char>(std::clamp(sum.g / n, 0.0, 255.0));
            out[2] = static_cast<unsigned char>(std::clamp(sum.b / n, 0.0, 255.0));
        }

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = Width;
    cinfo.image_height = Height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &pixels[cinfo.next_scanline * Width * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0 ? 0 : 1;
}
