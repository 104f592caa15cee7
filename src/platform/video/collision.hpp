#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/video/draw.hpp"

// One transformed image frame as the collision test sees it: four corners
// carrying x, y, u, v, and the frame's pixels (null: solid everywhere).
struct TQuad {
    TQuad* link = nullptr;
    void* id = nullptr;
    const TPixmap* mask = nullptr;
    int frame = 0;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    float xyuv[16] = {};

    void SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);
};

// Pixel-exact overlap of transformed image frames, worked out in screen space
// from the frames' stored pixels. Nothing is drawn, so it works with any
// renderer. Frames recorded in the 32 layers keep pointing at their image's
// pixels: the image must outlive the record and keep that frame's pixels
// until the layer is reset.
class Collision {
public:
    static constexpr int kLayerCount = 32;

    explicit Collision(Graphics& graphics);
    ~Collision();
    Collision(const Collision&) = delete;
    Collision& operator=(const Collision&) = delete;

    // 1 when the two frames, each placed with its own rotation and scale,
    // share a pixel that is solid in both. Leaves the draw state's rotation
    // and scale as they were, and frame 1 recorded in layer 31.
    int ImagesCollide(TImage& image1, int x1, int y1, int frame1, float rotation1, float sx1, float sy1, TImage& image2,
                      int x2, int y2, int frame2, float rotation2, float sx2, float sy2);

    // Tests the frame, placed with the draw state's current transform, against
    // the layers in collide_mask, then records it in the layers of write_mask.
    // The ids of the quads hit, by layer and newest first; the span stays
    // valid until the next call.
    std::span<void* const> CollideImage(TImage& image, int x, int y, int frame, std::uint32_t collide_mask,
                                        std::uint32_t write_mask, void* id);

    // Empties the layers whose bit is set; 0 empties all of them.
    void ResetCollisionLayers(std::uint32_t mask);

    // Whether two placed quads share a solid pixel.
    bool QuadsOverlap(const TQuad& a, const TQuad& b);

    int QuadsInLayer(int layer) const;
    int QuadsInPool() const;

private:
    struct Transform {
        float ix, iy, jx, jy;
    };
    struct Polygon;

    // False when the frame has nothing that could collide.
    bool BuildQuad(TQuad& quad, TImage& image, int x, int y, int frame, const Transform& transform);
    const Transform& TransformFor(float rotation, float scale_x, float scale_y);
    TQuad* TakeQuad();
    bool SpanOverlaps(const Polygon& a, const Polygon& b);

    Graphics& graphics_;
    TQuad* layers_[kLayerCount] = {};
    TQuad* pool_ = nullptr;
    std::vector<std::unique_ptr<TQuad>> quads_;  // every quad ever made, owned here
    std::vector<void*> hits_;
    TQuad probe_;

    // The draw state's transform for recently used rotations and scales, so a
    // test does not pay for trigonometry that has been done before.
    struct TransformMemo {
        std::uint32_t rotation = 0, scale_x = 0, scale_y = 0;
        bool used = false;
        Transform transform{};
    };
    static constexpr int kMemoSize = 512;
    std::vector<TransformMemo> memo_;
    bool state_changed_ = false;
};
