#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "entities/hazards/burger.hpp"
#include "entities/hazards/explosion.hpp"
#include "entities/hazards/particle.hpp"
#include "entities/hazards/points.hpp"
#include "entities/hazards/powerup.hpp"
#include "entities/hazards/ufo.hpp"
#include "entities/player/autopow.hpp"
#include "entities/player/hspace.hpp"
#include "entities/player/mine.hpp"
#include "entities/player/player.hpp"
#include "entities/player/rocket.hpp"
#include "entities/player/shield.hpp"
#include "entities/player/shipbits.hpp"
#include "entities/player/shipshot.hpp"
#include "entities/player/shiptrail.hpp"
#include "entities/player/smoke.hpp"
#include "entities/player/trigpow.hpp"
#include "game/assets.hpp"
#include "game/controls_screen.hpp"
#include "game/entity_list.hpp"
#include "game/game_recorder.hpp"
#include "game/name_entry.hpp"
#include "game/paths.hpp"
#include "game/scores.hpp"
#include "game/settings.hpp"
#include "game/sound.hpp"
#include "game/table_screen.hpp"
#include "game/title_idle.hpp"
#include "game/world_board.hpp"
#include "platform/input/replay.hpp"
#include "platform/system/angles.hpp"
#include "platform/system/random.hpp"
#include "platform/video/draw.hpp"

class Audio;
class Clock;
class Collision;
class Display;
class Input;
class Text;
class TImageFont;
class Watch;

// The platform the game runs on: real devices in the program, test back ends
// in the tests.
struct Services {
    Clock& clock;
    Display& display;
    Graphics& graphics;
    Input& input;
    Audio& audio;
    Text& text;
    Collision& collision;
};

// What one run was started with: the command line's choices and the
// settings it began from.
struct RunSettings {
    // The settings the run started with and the file they are kept in; an
    // empty path (a replay, a test) never writes them.
    Settings settings;
    std::string settings_path;
    // With a limit, the frame numbered limit - 1 is the last one, after which
    // the game leaves as it does on a close request.
    int frame_limit = -1;
    // --fast also skips the pause that lets the music stop cleanly at exit.
    bool fast_exit = false;
    // Full screen as opened; a toggle during the run becomes the new choice.
    bool fullscreen_at_start = false;
    // A recording of one game to watch instead of the splash and the title
    // (--watch, --replay), with its player's name; the run ends with it.
    std::optional<ReplayFile> watch;
    std::string watch_name;
    // The score board the run's games go to, if any.
    BoardLink* board = nullptr;
};

// The screen a frame showed, for the trace.
enum class Screen { Splash, Title, Playing, Paused, NameEntry, Scores, Controls };

// What the title screen shows in the menu's place.
enum class TitleView { Menu, NameEntry, Table };

// The logo before the title (screens.hpp): shown while `on`, at full
// strength until `count` passes 250, then fading.
struct SplashState {
    int on = 0;
    float alpha = 1.0f;
    int count = 0;
    std::unique_ptr<TImage> logo;
};

// Told about every finished frame just before it is presented (the trace and
// screenshots hang off this).
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void FrameDrawn(Game& game) = 0;
    // Whether it reads this frame's picture back, which must then be drawn.
    virtual bool ReadsPicture(const Game&) const { return false; }
};

// The one owner of everything game-wide: the single objects, the twelve
// entity lists, the screen flags, the settings, the images and sounds.
// Nothing else in the game keeps mutable state, so a test can build a fresh
// game and run it frame by frame.
class Game {
public:
    Game(Services& services, GameFolders folders);
    ~Game();

    // The one way to the platform.
    Services& services;
    Random random;
    GameSound sound;
    GameFolders folders;
    // Cleared when the best-score file was there but could not be read, so
    // that leaving does not write over it.
    bool save_best = true;
    // Set once a save of the player's files failed (it was said when it
    // happened): the run then ends with status 1.
    bool save_failed = false;
    // Set when a recording watched for the whole run (--watch) did not play
    // to its game over as recorded: the run ends with status 1 too.
    bool watch_failed = false;

    player_tag player;
    autopow_tag autopow;
    trigpow_tag trigpow;
    powerup_tag powerup;
    ufo_tag ufo;

    EntityList<shipshot_tag> shipshot_list;
    EntityList<burger_tag> burger_list;
    EntityList<shiptrail_tag> shiptrail_list;
    EntityList<particle_tag> particle_list;
    EntityList<shield_tag> shield_list;
    EntityList<hspace_tag> hspace_list;
    EntityList<mine_tag> mine_list;
    EntityList<rocket_tag> rocket_list;
    EntityList<explosion_tag> explosion_list;
    EntityList<smoke_tag> smoke_list;
    EntityList<shipbits_tag> shipbits_list;
    EntityList<points_tag> points_list;

    SplashState splash;
    // Games begun since start-up; of a whole-run recording the score board
    // counts only the first.
    int games_started = 0;
    // Every game is recorded as it is played, so that one that enters the
    // table can be watched again; a game that is itself being watched is not.
    GameRecorder recorder;
    bool records_games = true;
    WorldBoard world_board;
    // A recording of one game watched in this run's frames, in place of its
    // own screens (watch.hpp), and one to be watched from the next frame on.
    std::unique_ptr<Watch> watch;
    std::unique_ptr<Watch> next_watch;
    int title_on = 1;
    int paused = 0;
    int quit_game = 0;
    int warp_on = 0;
    int game_over = 0;
    int bonus_on = 0;
    float msg_alpha = 0;
    int best_sound_done = 0;

    // The score table, and what the title shows in the menu's place: the
    // name entry after a game that enters the table, or the table itself.
    KeptScores scores;
    TitleView title_view = TitleView::Menu;
    NameEntry name_entry;
    TableScreen table_screen;
    TitleIdle title_idle;
    // The keys and pad buttons of each action, and the screen that changes
    // them in the menu's place.
    Bindings bindings = DefaultBindings();
    ControlsScreen controls;

    float bg_angle = 0.0f;
    float bg_spin = 0.3f;

    // Axis values the ship treats as left, right and thrust.
    float joy_left = -1.0f;
    float joy_right = 1.0f;
    float joy_up = -1.0f;

    GameImages images;

    // Frames shown so far; the frame now being drawn has this number.
    int frame = 0;
    Screen screen = Screen::Splash;
    // False when this frame's picture is dropped to keep the game's pace.
    bool picture_drawn = true;
    FrameObserver* observer = nullptr;
    int frame_limit_reached = 0;

    RunSettings run;

    // Tells the observer, then presents the frame paced to 60 Hz.
    void Flip();
    // The frame is over, down to its last input query; the next one starts.
    void NextFrame();
    // After each flip: while the application is in the background the music
    // waits and nothing else runs.
    void WaitWhileSuspended();
    // FlushKeyboard, FlushMouse, then wait for the joystick buttons.
    void FlushInput();
};

// One frame of every object in the list; returns how many were visited.
template <typename T>
int UpdateAll(Game& game, EntityList<T>& list) {
    return list.Walk([&game](T& object) { object.update(game); });
}
