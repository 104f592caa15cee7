#pragma once

// How an image is loaded and kept: chosen once, when the image is made.
constexpr int kImageMasked = 1;
constexpr int kImageFiltered = 2;
constexpr int kImageMipmapped = 4;
constexpr int kImageDynamic = 8;
