// The game's named numbers that are not one file's own: those that several
// files share (the handlers, the start-up, the replay tool, the tools that
// make the pictures and the levels and prove them, the tests and benchmarks),
// and those that belong with them, such as the other end of a shared range or
// pair and the screen's margins. A number that one file alone uses and that
// belongs with nothing here is named in that file.
#pragma once

// The window shows 60 frames a second; the prover ticks its pinned clock at the same rate.
constexpr int FRAMES_PER_SECOND = 60;

// Modes of the frame loop.
enum GameMode { MODE_NONE = 0, MODE_TITLE = 1, MODE_PLAY = 2, MODE_EDITOR = 3 };

// The window and the back buffer are one fixed size.
constexpr int VIEW_W = 320;
constexpr int VIEW_H = 320;

// Level grid: rows 0..288, columns 0..32; the level area is rows 1..288 x columns 1..32.
constexpr int CELL_SIZE = 10;
constexpr int GRID_ROWS = 289;
constexpr int GRID_COLS = 33;
constexpr int LEVEL_ROWS = 288;
constexpr int LEVEL_COLS = 32;
constexpr int VIEW_ROWS = 33;  // rows visited by one walk of the world
constexpr int VIEW_COLS = 33;  // columns visited, including column 32 just off the right edge

// Cell codes.
constexpr int CELL_EMPTY = 0;
constexpr int CELL_PLAYER = 1;
constexpr int CELL_BLOCK = 2;
constexpr int CELL_WALKER_FIRST = 3;         // walker k has code 3 + k
constexpr int CELL_WALKER_LAST = 103;
constexpr int CELL_RIGHT_TURRET_FIRST = 104; // right-firing turret l has code 104 + l
constexpr int CELL_RIGHT_TURRET_LAST = 154;
constexpr int CELL_LEFT_TURRET_FIRST = 154;  // left-firing turret m has code 154 + m (154 is both)
constexpr int CELL_LEFT_TURRET_LAST = 204;
constexpr int CELL_CURSOR = 1014;

// What a cell code stands for, as a set: 154 is both a right-firing and a
// left-firing turret, and every other code is one kind or none.
enum CellKind : unsigned {
    KIND_NONE = 0,
    KIND_PLAYER = 1,
    KIND_BLOCK = 2,
    KIND_WALKER = 4,
    KIND_RIGHT_TURRET = 8,
    KIND_LEFT_TURRET = 16,
    KIND_CURSOR = 32,
    KIND_TURRET = KIND_RIGHT_TURRET | KIND_LEFT_TURRET,
    KIND_ENEMY = KIND_WALKER | KIND_TURRET,
};
constexpr unsigned cell_kind(int code) {
    unsigned kind = KIND_NONE;
    if (code == CELL_PLAYER) kind |= KIND_PLAYER;
    if (code == CELL_BLOCK) kind |= KIND_BLOCK;
    if (code >= CELL_WALKER_FIRST && code <= CELL_WALKER_LAST) kind |= KIND_WALKER;
    if (code >= CELL_RIGHT_TURRET_FIRST && code <= CELL_RIGHT_TURRET_LAST) kind |= KIND_RIGHT_TURRET;
    if (code >= CELL_LEFT_TURRET_FIRST && code <= CELL_LEFT_TURRET_LAST) kind |= KIND_LEFT_TURRET;
    if (code == CELL_CURSOR) kind |= KIND_CURSOR;
    return kind;
}

// Table sizes, indexed 0..N-1.
constexpr int WALKER_SLOTS = 101;
constexpr int TURRET_SLOTS = 51;
constexpr int SHOT_SLOTS = 21;
constexpr int SCORE_DIGITS = 9;

// Two-state fields: 2 is on, 1 is off; never 0 once set.
constexpr int OFF = 1;
constexpr int ON = 2;
constexpr int SHOT_IDLE = 1;
constexpr int SHOT_FLYING = 2;
constexpr int ALIVE = 2;
constexpr int DESTROYED = 1;

// Walker headings.
constexpr int DIR_LEFT = 1;
constexpr int DIR_RIGHT = 2;
constexpr int DIR_DOWN = 3;

// Editor brushes, cycled by Space.
constexpr int BRUSH_ERASE = 0;
constexpr int BRUSH_BLOCK = 1;
constexpr int BRUSH_WALKER = 2;
constexpr int BRUSH_RIGHT_TURRET = 3;
constexpr int BRUSH_LEFT_TURRET = 4;
constexpr int BRUSH_LAST = 4;
// The editor hands out codes from these on (never 3, 104 or 154; reset_world sets
// them) and stops below the next range (step_cursor).
constexpr int EDITOR_FIRST_WALKER_CODE = 4;
constexpr int EDITOR_FIRST_RIGHT_TURRET_CODE = 105;
constexpr int EDITOR_FIRST_LEFT_TURRET_CODE = 155;
constexpr int EDITOR_WALKER_CODE_END = 104;
constexpr int EDITOR_RIGHT_TURRET_CODE_END = 154;
constexpr int EDITOR_LEFT_TURRET_CODE_END = 204;

// The view: a level starts at its bottom and ends when the top reaches row 10.
constexpr int LEVEL_START_SCROLL_Y = 2560;
constexpr int LEVEL_END_ROW = 10;
constexpr int FIRST_GAME_LEVEL = 2;
constexpr int LAST_GAME_LEVEL = 5;
constexpr int EDITOR_TEMPLATE_LEVEL = 1;
constexpr int LEVEL_COUNT = 5;

// The ship and walkers: 32 x 40 bodies, hit inside a box one larger, pushed
// back in once their corner passes a margin of the window.
constexpr int BODY_W = 32;
constexpr int BODY_H = 40;
constexpr int BODY_BOX_W = 33;
constexpr int BODY_BOX_H = 41;
constexpr int MARGIN_LEFT = 10;
constexpr int MARGIN_RIGHT = 280;

// Ship and player shots. In play Left and Right move the ship SHIP_STEP pixels
// a frame; Up and Down move the view SCROLL_STEP pixels, as F3 and F4 do in the editor.
constexpr int SHIP_STEP = 4;
constexpr int SCROLL_STEP = 10;
constexpr int SHIP_NO_FRAME = 3;        // after a reset: the ship is there but not drawn
constexpr int PLAYER_FIRST_SLOT = 1;
constexpr int PLAYER_LAST_SLOT = 20;

// Walkers.
constexpr int DEATH_FRAMES = 12;
constexpr int WRECK_FRAMES = 3;

// Enemies in general.
constexpr int KEY_DRIFT = 5;            // Up and Down move enemy shots and animations by this much
constexpr int ENEMY_FIRST_SLOT = 1;
constexpr int ENEMY_LAST_SLOT = 19;

// Walker shots: an idle one rides below the walker's feet; a flying one falls.
constexpr int WALKER_SHOT_DX = 12;
constexpr int WALKER_SHOT_DY = 40;
constexpr int WALKER_SHOT_SPEED = 5;

// Turrets.
constexpr int TURRET_SIZE = 32;
constexpr int TURRET_SHOT_DX = 2;
constexpr int TURRET_SHOT_DY = 1;
constexpr int TURRET_SHOT_MUZZLE_Y = 22;
constexpr int EXPLOSION_FRAMES = 10;

// Blocks.
constexpr int BLOCK_BOX = 41;           // 40-pixel block, strict box tests one larger

// Sounds.
constexpr int SOUND_VOLUME = 255;
constexpr int SOUND_PAN_LEFT = 20;
constexpr int SOUND_FREQ = 1000;
constexpr int SOUND_ONCE = 0;           // the loop flag: play once
constexpr int SOUND_LOOP = -1;          // or repeat without end

// Export.
constexpr int EXPORT_FIELD_WIDTH = 14;
constexpr int EXPORT_LAST_ROW = 287;
constexpr int EXPORT_LAST_COL = 31;
