#pragma once

// Where a picture of width x height sits when scaled to fit a drawable as
// large as it can with its aspect kept: offsets from the drawable's top-left
// corner and the scaled size, all in drawable pixels.
struct Letterbox {
    int left, top, width, height;
};
Letterbox FitPicture(int drawable_width, int drawable_height, int width, int height);
