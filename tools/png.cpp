#include "png.h"

#include <cstdint>
#include <fstream>
#include <zlib.h>

namespace {

void put_u32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void put_chunk(std::string &png, const char *type, const std::string &data) {
    put_u32(png, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    put_u32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), body.size())));
}

}  // namespace

bool write_png(const std::string &path, BITMAP *bmp, const std::string *alpha) {
    std::string raw;
    for (int y = 0; y < bmp->h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < bmp->w; ++x) {
            const int c = getpixel(bmp, x, y);
            raw.push_back(static_cast<char>(getr(c)));
            raw.push_back(static_cast<char>(getg(c)));
            raw.push_back(static_cast<char>(getb(c)));
            if (alpha) raw.push_back((*alpha)[static_cast<size_t>(y * bmp->w + x)]);
        }
    }
    uLongf packed_size = compressBound(raw.size());
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packed_size, reinterpret_cast<const Bytef *>(raw.data()),
                  raw.size(), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packed_size);
    std::string header;
    put_u32(header, static_cast<uint32_t>(bmp->w));
    put_u32(header, static_cast<uint32_t>(bmp->h));
    // 8 bits, RGB (2) or RGBA (6), deflate, no filter, no interlace
    header += std::string(alpha ? "\x08\x06\x00\x00\x00" : "\x08\x02\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", packed);
    put_chunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << png;
    return static_cast<bool>(out.flush());
}
