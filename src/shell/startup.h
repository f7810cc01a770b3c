#pragma once

// Start-up, the frame loop and shutdown of the windowed game. Returns the exit
// status: 0 after Escape or the close button, 1 when no window can be opened,
// 2 when an asset is missing or broken.
int run_game();
