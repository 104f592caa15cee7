#pragma once

// Sine and cosine of angles in degrees, the game's unit: 0 points up and
// angles grow clockwise.
double SinDeg(double degrees);
double CosDeg(double degrees);

// Moves (x, y) `distance` pixels towards `degrees`; y grows down the screen.
void MoveAlong(float& x, float& y, double degrees, double distance);
