#include "entities/hazards/points.hpp"

#include <memory>
#include <utility>

#include "game/game.hpp"
#include "platform/video/text.hpp"

void points_tag::Create(Game& game, float x, float y, std::string str) {
    auto popup = std::make_unique<points_tag>();
    popup->alpha = 1.0f;
    popup->scale = 0.5f;
    popup->str = std::move(str);
    popup->x = x;
    popup->y = y;
    game.points_list.Add(std::move(popup));
}

void points_tag::update(Game& game) {
    Text& text = game.services.text;
    // The halves are whole pixels of the unscaled text, as the layout of the
    // rest of the screen is.
    int left = static_cast<int>(x - static_cast<float>(text.TextWidth(str) / 2) * scale);
    int top = static_cast<int>(y - static_cast<float>(text.TextHeight() / 2) * scale);

    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(alpha);
    gfx.SetScale(scale, scale);
    gfx.SetColor(255, 255, 0);
    text.DrawText(str, static_cast<float>(left), static_cast<float>(top));
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_MASK);
    gfx.SetAlpha(1.0f);
    gfx.SetScale(1, 1);

    alpha -= 0.01f;
    scale += 0.02f;
    y -= 1.0f;
    if (!(alpha > 0)) game.points_list.Remove(this);
}
