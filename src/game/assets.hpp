#pragma once

class Game;

// The empty sprite images, each the size of its cut of the atlas, handle at
// the centre.
void CreateSprites(Game& game);
// The sprites cut from the embedded atlas, the font, the background and the
// sound effects.
void LoadAssets(Game& game);
