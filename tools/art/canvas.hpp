#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

Colour Mix(Colour a, Colour b, float t);
Colour Scaled(Colour c, float factor);
Colour Lit(Colour c, float light);  // light < 1 darkens, > 1 brightens towards white
Colour FromBytes(int r, int g, int b);

// A coverage map: 0 = empty, 1 = fully covered.
class Mask {
public:
    Mask(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    float At(int x, int y) const;
    void Set(int x, int y, float value);
    void Max(int x, int y, float value);

    Mask Dilated(float radius) const;
    Mask Shifted(int dx, int dy) const;
    Mask Downsampled(int factor) const;
    Mask Minus(const Mask& other) const;

private:
    int width_;
    int height_;
    std::vector<float> values_;
};

using Inside = std::function<bool(float x, float y)>;
using Shader = std::function<Colour(float x, float y)>;

// Linear RGB in 0..255, painted with coverage-weighted "over" blending.
class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Colour At(int x, int y) const;
    void Set(int x, int y, Colour colour);
    void Blend(int x, int y, Colour colour, float alpha);
    void Add(int x, int y, Colour colour);

    // Supersamples the shape so edges come out anti-aliased.
    void Fill(const Inside& inside, const Shader& shader, int samples = 4);
    void Fill(const Inside& inside, Colour colour, int samples = 4);
    void Paint(const Mask& mask, const Shader& shader, int offset_x = 0, int offset_y = 0);
    void Paste(const Canvas& source, int left, int top);

    // Dark edge pixels would count as solid in pixel collisions, so they become pure black.
    void SnapNearBlack(float threshold = 12.5f);
    void Clear();

private:
    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

void WritePng(const std::string& path, const Canvas& canvas);

// The byte a colour channel of 0..255 is stored as.
std::uint8_t ToPngByte(float value);
// Writes rows of 8-bit RGB or RGBA bytes, top row first, as a PNG.
void WritePngBytes(const std::string& path, int width, int height, bool alpha, std::vector<std::uint8_t>& bytes);
