#pragma once

#include <optional>

class FrameObserver;
class Game;
struct GameFolders;
struct RunSettings;
struct Services;

// Start-up up to the main loop: images, font, sounds, best score, title
// music, and the splash that the loop's first frames show. The display is
// already open.
void StartUp(Game& game, std::optional<int> seed);
// Start-up for a run that only watches the recording in `run.watch`: no
// title music, no splash, the watched game's first frame the run's first.
void StartUpToWatch(Game& game, std::optional<int> seed);
// The part of start-up before the title music: objects, sprites, channels,
// seed, font, sounds, best score and score table.
void SetUpGame(Game& game, std::optional<int> seed);
// Whether the mouse is the ship's (captured) for the next frame: only while a
// game is being played, so on the title, paused, warping in or after the
// game is over the system pointer is free.
bool PointerCaptured(const Game& game);
// One frame of the main loop: the screen, the HUD, the flip; false once the
// loop is to be left.
bool RunMainLoopFrame(Game& game);
// A frame of the main loop after the splash falls in two around its flip:
// the screen, the best score and the HUD drawn; then the wait while the
// application is in the background, and whether the loop goes on, with the
// next frame begun.
void DrawMainLoopScreen(Game& game);
bool FinishMainLoopFrame(Game& game);
// Everything after the loop: music out, playfield cleared, best score and
// changed settings saved.
void ShutDown(Game& game);
// Runs the main loop to its end and shuts down.
void RunMainLoop(Game& game);
// Start-up, splash, main loop and shut-down on the given platform with the
// files of `folders`, starting from `run.settings`; changed settings are saved
// to `run.settings_path` on the way out unless it is empty. False when a save
// of the player's files failed.
bool RunGame(Services& services, const GameFolders& folders, int seed, FrameObserver* observer, const RunSettings& run);
