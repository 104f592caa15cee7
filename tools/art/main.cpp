// Draws the game's embedded pictures and copies its font, the same bytes on every run.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "canvas.hpp"
#include "pictures.hpp"
#include "text.hpp"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_art ASSETS_DIR ART_FONT.ttf GAME_FONT.ttf GAME_FONT_COPYRIGHT\n");
        return 2;
    }
    // The pictures' lettering and the game's own font are separate choices: the
    // game needs a narrow face for its HUD at 22 pixels.
    const std::filesystem::path assets = argv[1];
    const std::filesystem::path font_path = argv[2];
    const std::filesystem::path game_font = argv[3];
    const std::filesystem::path copyright = argv[4];
    try {
        std::filesystem::create_directories(assets);
        const auto copy = std::filesystem::copy_options::overwrite_existing;
        std::filesystem::copy_file(game_font, assets / "256bytes.ttf", copy);
        std::filesystem::copy_file(copyright, assets / "256bytes-LICENSE.txt", copy);
        const FontRasteriser font(font_path.string());
        WritePng((assets / "burger1_sf1.png").string(), DrawAtlas(font));
        WritePng((assets / "burger1_bg.png").string(), DrawBackground());
        WritePng((assets / "qxlogo.png").string(), DrawSplashLogo(font));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_art: %s\n", error.what());
        return 1;
    }
    return 0;
}
