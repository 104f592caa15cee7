#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/video/draw.hpp"

// The game's sprite images, cut from the embedded atlas the way start-up
// does it: masked (black is transparent), handle at the centre.
struct GameSprites {
    std::unique_ptr<TImage> ship;       // 15x37, 4 frames
    std::unique_ptr<TImage> shot;       // 4x9
    std::unique_ptr<TImage> particle;   // 20x17
    std::unique_ptr<TImage> icons;      // 15x15, 12 frames
    std::unique_ptr<TImage> burger;     // 77x63
    std::unique_ptr<TImage> ufo;        // 53x53
    std::unique_ptr<TImage> fries;      // 18x30
    std::unique_ptr<TImage> flame;      // 112x68
    std::unique_ptr<TImage> ring;       // 139x132
    std::unique_ptr<TImage> gameover;   // 203x24
    std::unique_ptr<TImage> explosion;  // 58x55
    std::unique_ptr<TImage> title;      // 321x104
};

// A copy of the rectangle, clipped to the source, in the source's format.
TPixmap CutPixmap(const TPixmap& source, int x, int y, int width, int height);

// Empty when the atlas is missing or cannot be decoded.
std::optional<GameSprites> CutGameSprites(Graphics& graphics, const std::string& atlas = "incbin::burger1_sf1.png");

// A frame placed on screen for the straightforward collision check below.
struct PlacedFrame {
    const TImage* image;
    int x, y, frame;
    float rotation, scale_x, scale_y;
};

// The slow, obvious answer: every screen pixel inside both bounding boxes is
// mapped back into each frame through the inverse transform (sampled at the
// pixel centre) and must be solid (alpha >= 128, or a frame without alpha) in
// both.
bool ReferenceImagesCollide(const PlacedFrame& first, const PlacedFrame& second);
