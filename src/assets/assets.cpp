#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "assets/assets.h"
#include "core/build_info.h"
#include "core/game_state.h"
#include "core/message.h"
#include "core/regular_file.h"
#include "assets/atlas.h"

namespace {

// Says in one line what is wrong with an asset file.
void report(const char *path, const char *what) { print_message("%s", file_fault(path, 0, what).text); }

bool readable(const char *path) {
    if (access(path, F_OK) != 0) {
        report(path, "file is missing");
        return false;
    }
    if (access(path, R_OK) != 0) {
        report(path, "file cannot be read");
        return false;
    }
    return true;
}

// Where the pictures and sounds are looked for, in this order: data/ under the
// current folder; the installed data folder, found from where the
// program itself is, so that a moved installation still works; the data/ of
// the source tree the program was built from. The first that holds the sprite
// sheet is the one; a broken file in it is reported, not skipped.
constexpr int DATA_PLACES = 3;
const char FIRST_DATA_FILE[] = "main.bmp";
char data_folder[PATH_MAX];

// The installed data folder as seen from this program: its own path less its
// name and the folders it is installed under, then the data folder. Empty
// when the program cannot see its own path.
void installed_data_folder(char (&out)[PATH_MAX]) {
    char prefix[PATH_MAX];
    out[0] = '\0';
    if (!program_folder(prefix)) return;
    for (int up = 0; up < INSTALLED_PROGRAM_DEPTH; ++up) {
        char *slash = std::strrchr(prefix, '/');
        if (!slash) return;
        *slash = '\0';
    }
    if (std::snprintf(out, PATH_MAX, "%s/%s", prefix, INSTALLED_DATA_FOLDER) >= PATH_MAX) out[0] = '\0';
}

// The path of file `name` in `folder`, in a buffer that lasts until the next call.
const char *file_in(const char *folder, const char *name) {
    static char path[2 * PATH_MAX];
    if (std::snprintf(path, sizeof path, "%s/%s", folder, name) >= int(sizeof path)) path[0] = '\0';
    return path;
}

// Sets data_folder to the first place that holds the sprite sheet; says in
// one line every place it looked when none does.
bool find_data_folder() {
    char places[DATA_PLACES][PATH_MAX] = {"data"};
    installed_data_folder(places[1]);
    if (std::snprintf(places[2], PATH_MAX, "%s", SOURCE_DATA_FOLDER) >= PATH_MAX) places[2][0] = '\0';
    for (const char *place : places)
        if (*place && access(file_in(place, FIRST_DATA_FILE), F_OK) == 0) {
            std::memcpy(data_folder, place, sizeof data_folder);
            return true;
        }
    char looked[MESSAGE_BYTES] = "";
    for (const char *place : places) {
        const size_t length = std::strlen(looked);
        if (*place)
            std::snprintf(looked + length, sizeof looked - length, "%s%s", place == places[0] ? "" : ", ",
                          file_in(place, FIRST_DATA_FILE));
    }
    print_message("the pictures and sounds are missing: no %s", looked);
    return false;
}

const char *data_file(const char *name) { return file_in(data_folder, name); }

BITMAP *load_picture(const char *path, PALETTE palette, int min_w, int min_h) {
    if (!readable(path)) return nullptr;
    BITMAP *bmp = load_bmp(path, palette);
    if (!bmp) {
        report(path, "not a readable BMP picture");
        return nullptr;
    }
    if (bmp->w < min_w || bmp->h < min_h) {
        char what[128];
        std::snprintf(what, sizeof what, "picture is %d x %d pixels, needs at least %d x %d", bmp->w, bmp->h, min_w,
                      min_h);
        report(path, what);
        destroy_bitmap(bmp);
        return nullptr;
    }
    return bmp;
}

SAMPLE *load_sound(const char *path) {
    if (!readable(path)) return nullptr;
    SAMPLE *sample = load_wav(path);
    if (!sample) report(path, "not a readable WAV sound");
    return sample;
}

}  // namespace

bool load_assets(int mode) {
    if (!find_data_folder()) return false;
    game.sprite_sheet = load_picture(data_file(FIRST_DATA_FILE), game.sprite_palette, SHEET_MIN_W, SHEET_MIN_H);
    if (!game.sprite_sheet) return false;
    if (mode == MODE_TITLE || mode == MODE_PLAY) {  // the editor never shows the title
        game.title_art = load_picture(data_file("main2.bmp"), game.title_palette, TITLE_MIN_W, TITLE_MIN_H);
        if (!game.title_art) return false;
    }
    if (!(game.shot_sample = load_sound(data_file("effect.wav")))) return false;
    if (!(game.hit_sample = load_sound(data_file("fall.wav")))) return false;
    if (!(game.music_sample = load_sound(data_file("gmsong.wav")))) return false;
    return true;
}

void release_assets() {
    if (game.back_buffer) destroy_bitmap(game.back_buffer);
    if (game.sprite_sheet) destroy_bitmap(game.sprite_sheet);
    if (game.title_art) destroy_bitmap(game.title_art);
    if (game.shot_sample) destroy_sample(game.shot_sample);
    if (game.hit_sample) destroy_sample(game.hit_sample);
    if (game.music_sample) destroy_sample(game.music_sample);
    game.back_buffer = game.sprite_sheet = game.title_art = nullptr;
    game.shot_sample = game.hit_sample = game.music_sample = nullptr;
    remove_sound();
}
