#include "platform/video/letterbox.hpp"

Letterbox FitPicture(int drawable_width, int drawable_height, int width, int height) {
    Letterbox box{0, 0, drawable_width, drawable_width * height / width};
    if (box.height > drawable_height) {
        box.height = drawable_height;
        box.width = drawable_height * width / height;
    }
    // Centred; an odd spare column goes to the right of the picture and an
    // odd spare row above it, since the window counts rows from the bottom.
    box.left = (drawable_width - box.width) / 2;
    box.top = drawable_height - box.height - (drawable_height - box.height) / 2;
    return box;
}
