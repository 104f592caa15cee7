#include "sprites.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/system/angles.hpp"
#include "platform/system/resources.hpp"
#include "platform/video/png.hpp"

TPixmap CutPixmap(const TPixmap& source, int x, int y, int width, int height) {
    TPixmap cut = TPixmap::Create(width, height, source.format);
    int bytes = BytesPerPixel(source.format);
    for (int row = 0; row < height; ++row) {
        int source_row = y + row;
        if (source_row < 0 || source_row >= source.height) continue;
        int first = std::max(x, 0), last = std::min(x + width, source.width);
        if (last <= first) continue;
        std::memcpy(cut.PixelPtr(first - x, row), source.PixelPtr(first, source_row),
                    static_cast<std::size_t>((last - first) * bytes));
    }
    return cut;
}

namespace {

std::unique_ptr<TImage> Cut(Graphics& graphics, const TPixmap& atlas, int x, int y, int width, int height,
                            int frames = 1) {
    // Masked and dynamic, the flags the game's sprites are made with.
    auto image = graphics.CreateImage(width, height, frames, kImageMasked | kImageDynamic);
    for (int frame = 0; frame < frames; ++frame)
        image->SetPixmap(frame, CutPixmap(atlas, x + 16 * frame, y, width, height));
    graphics.SetImageMidHandle(*image);
    return image;
}

}  // namespace

std::optional<GameSprites> CutGameSprites(Graphics& graphics, const std::string& atlas_source) {
    auto bytes = ReadSource(atlas_source);
    if (!bytes) return std::nullopt;
    auto decoded = DecodePng(*bytes);
    if (!decoded) return std::nullopt;
    const TPixmap& atlas = *decoded;

    GameSprites sprites;
    sprites.ship = Cut(graphics, atlas, 1, 1, 15, 37, 4);
    sprites.shot = Cut(graphics, atlas, 66, 1, 4, 9);
    sprites.particle = Cut(graphics, atlas, 66, 13, 20, 17);
    sprites.icons = Cut(graphics, atlas, 89, 1, 15, 15, 12);
    sprites.burger = Cut(graphics, atlas, 1, 40, 77, 63);
    sprites.ufo = Cut(graphics, atlas, 81, 40, 53, 53);
    sprites.fries = Cut(graphics, atlas, 137, 40, 18, 30);
    sprites.flame = Cut(graphics, atlas, 158, 36, 112, 68);
    sprites.ring = Cut(graphics, atlas, 274, 72, 139, 132);
    sprites.gameover = Cut(graphics, atlas, 1, 106, 203, 24);
    sprites.explosion = Cut(graphics, atlas, 1, 152, 58, 55);
    sprites.title = Cut(graphics, atlas, 1, 209, 321, 104);
    return sprites;
}

namespace {

struct Placement {
    const TPixmap* pixels = nullptr;
    double ix, iy, jx, jy, tx, ty, handle_x, handle_y;
    int width, height;
    double minx, miny, maxx, maxy;
};

bool Place(const PlacedFrame& placed, Placement& out) {
    const TImage& image = *placed.image;
    if (placed.frame < 0 || placed.frame >= image.FrameCount()) return false;
    out.pixels = image.pixmaps[placed.frame].get();
    if (!out.pixels || out.pixels->width <= 0 || out.pixels->height <= 0) return false;
    double s = SinDeg(placed.rotation), c = CosDeg(placed.rotation);
    out.ix = static_cast<float>(c * placed.scale_x);
    out.iy = static_cast<float>(-s * placed.scale_y);
    out.jx = static_cast<float>(s * placed.scale_x);
    out.jy = static_cast<float>(c * placed.scale_y);
    out.tx = placed.x;
    out.ty = placed.y;
    out.handle_x = image.handle_x;
    out.handle_y = image.handle_y;
    out.width = image.width;
    out.height = image.height;
    out.minx = out.miny = 1e30;
    out.maxx = out.maxy = -1e30;
    for (double lx : {-out.handle_x, out.width - out.handle_x})
        for (double ly : {-out.handle_y, out.height - out.handle_y}) {
            double x = out.tx + lx * out.ix + ly * out.iy, y = out.ty + lx * out.jx + ly * out.jy;
            out.minx = std::min(out.minx, x), out.maxx = std::max(out.maxx, x);
            out.miny = std::min(out.miny, y), out.maxy = std::max(out.maxy, y);
        }
    return true;
}

bool SolidAt(const Placement& placement, double x, double y) {
    double determinant = placement.ix * placement.jy - placement.iy * placement.jx;
    if (determinant == 0) return false;
    double dx = x - placement.tx, dy = y - placement.ty;
    double lx = (placement.jy * dx - placement.iy * dy) / determinant + placement.handle_x;
    double ly = (placement.ix * dy - placement.jx * dx) / determinant + placement.handle_y;
    if (lx < 0 || ly < 0 || lx >= placement.width || ly >= placement.height) return false;
    const TPixmap& pixels = *placement.pixels;
    if (!FormatHasAlpha(pixels.format)) return true;
    int column = std::min(static_cast<int>(lx * pixels.width / placement.width), pixels.width - 1);
    int row = std::min(static_cast<int>(ly * pixels.height / placement.height), pixels.height - 1);
    return AlphaOf(pixels.ReadRGBA(column, row)) >= 128;
}

}  // namespace

bool ReferenceImagesCollide(const PlacedFrame& first, const PlacedFrame& second) {
    Placement a, b;
    if (!Place(first, a) || !Place(second, b)) return false;
    int x0 = static_cast<int>(std::floor(std::max(a.minx, b.minx)));
    int x1 = static_cast<int>(std::ceil(std::min(a.maxx, b.maxx)));
    int y0 = static_cast<int>(std::floor(std::max(a.miny, b.miny)));
    int y1 = static_cast<int>(std::ceil(std::min(a.maxy, b.maxy)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (SolidAt(a, x + 0.5, y + 0.5) && SolidAt(b, x + 0.5, y + 0.5)) return true;
    return false;
}
