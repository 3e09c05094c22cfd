// Writes the program's Windows icon file from the window's own icon drawing:
//   aspect-ico-tool <file.ico>
// with a 16 and a 32 pixel image, each a 32-bit colour image with a one-bit mask, the
// same pixels as the Linux window icon. Runs on the build machine, so it uses only the
// standard library.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "window/pictures.h"

namespace {

using aspect::window::IconMask;
using aspect::window::MonitorIcon;
using aspect::window::RgbaImage;

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image as Windows stores it: a BITMAPINFOHEADER of twice the height, the BGRA
// rows from the bottom, then the AND mask (set bits are transparent), rows from the bottom
// padded to 32 bits.
std::vector<std::uint8_t> IconImage(const RgbaImage& image) {
    const auto w = static_cast<unsigned>(image.width);
    const auto h = static_cast<unsigned>(image.height);
    const unsigned mask_stride = (w + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, w);
    Put32(out, 2 * h);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, w * h * 4 + mask_stride * h);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (unsigned y = h; y-- > 0;) {
        for (unsigned x = 0; x < w; ++x) {
            const auto& p = image.pixels[y * w + x];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    for (unsigned y = h; y-- > 0;) {
        std::vector<std::uint8_t> row(mask_stride, 0);
        for (unsigned x = 0; x < w; ++x) {
            if (image.pixels[y * w + x].a == 0) {
                row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80u >> (x % 8)));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: aspect-ico-tool <file.ico>\n");
        return 2;
    }
    // The window icon's sizes keep its one-bit mask, as on Linux.
    const std::vector<std::vector<std::uint8_t>> images = {
        IconImage(MonitorIcon(16, IconMask::OneBit)), IconImage(MonitorIcon(32, IconMask::OneBit))};
    const int sizes[] = {16, 32};

    std::vector<std::uint8_t> file;
    Put16(file, 0);  // reserved
    Put16(file, 1);  // an icon, not a cursor
    Put16(file, static_cast<unsigned>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<std::uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "aspect-ico-tool: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
