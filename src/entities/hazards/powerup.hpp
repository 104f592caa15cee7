#pragma once

class Game;

// The floating pickup.
struct powerup_tag {
    int x = 0, y = 0;
    int xstp = 0;
    int alive = 0;
    int frame = 0;
    float scale = 0;
    float alpha = 0;
    int counter = 0;

    // Re-arms the one pickup for its next crossing.
    static void Create(Game& game);
    // The pickup's whole frame: it floats, or the countdown to the next
    // crossing runs.
    void step(Game& game);
    void update(Game& game);
};
