// Folder assets/, a rules tier: the pictures, the sounds and the sprite atlas.
//
// Loading and releasing the pictures and sounds.
#pragma once

// Loads the pictures and sounds a game in `mode` uses: the sprite sheet, the
// title picture unless it is the editor's, and the three sounds. Returns
// false, having said on stderr which file is wrong and why, when an asset is
// missing, unreadable or too small.
bool load_assets(int mode);
// Destroys back_buffer, the pictures and the sounds, and removes the sound system.
void release_assets();
