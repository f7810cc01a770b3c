// Folder assets/, a rules tier: the pictures, the sounds and the sprite atlas.
// May include: core level assets
//
// Loading and releasing the pictures and sounds.
#pragma once

// Gives the game its start values, loads the two pictures and three sounds,
// enters start_mode and loads its first level. Returns false, having said on
// stderr which file is wrong and why, when an asset is missing, unreadable or
// too small.
bool load_assets();
// Destroys back_buffer, the pictures and the sounds, and removes the sound system.
void release_assets();
