// Writes the binary resources of Vellumar.scr: the transparent cursor, the preview bitmap
// and the program icon. Integer arithmetic only, so every machine writes the same bytes.
//
//   vellumar-resgen DIRECTORY   writes Vellumar.cur, Preview.bmp and Vellumar.ico there

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v)
{
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

struct Rgb {
    uint8_t r, g, b;
};

void PutInfoHeader(Bytes& out, int32_t width, int32_t height, uint16_t bitCount, uint32_t imageSize,
                   uint32_t colorsUsed)
{
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, bitCount);
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, colorsUsed);
    Put32(out, 0);
}

void PutPalette(Bytes& out, const std::vector<Rgb>& palette)
{
    for (const Rgb& c : palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
}

uint32_t RowBytes(int32_t width, int32_t bitCount)
{
    return static_cast<uint32_t>(((width * bitCount + 31) / 32) * 4);
}

int32_t IntegerSqrt(int32_t v)
{
    int32_t r = 0;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

// A 5 x 7 font with just the letters the title needs; each row's low 5 bits, left pixel first.
struct Glyph {
    char letter;
    uint8_t rows[7];
};

const Glyph kGlyphs[] = {
    {'3', {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
    {'l', {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'u', {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D}},
    {'m', {0x00, 0x00, 0x1A, 0x15, 0x15, 0x15, 0x15}},
    {'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
};

const Glyph* FindGlyph(char letter)
{
    for (const Glyph& g : kGlyphs) {
        if (g.letter == letter)
            return &g;
    }
    return nullptr;
}

// Top-down 8-bit canvas.
struct Canvas {
    int32_t width, height;
    std::vector<uint8_t> pixels;
    void Set(int32_t x, int32_t y, uint8_t index)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<size_t>(y * width + x)] = index;
    }
};

constexpr int32_t kGlyphAdvance = 6;

void DrawText(Canvas& canvas, const std::string& text, int32_t top, int32_t scale, uint8_t ink,
              uint8_t shadow)
{
    const int32_t textWidth = (static_cast<int32_t>(text.size()) * kGlyphAdvance - 1) * scale;
    const int32_t left = (canvas.width - textWidth) / 2;
    for (int pass = 0; pass < 2; ++pass) {
        const int32_t offset = pass == 0 ? 1 : 0;  // shadow one pixel down and right, then ink
        for (size_t i = 0; i < text.size(); ++i) {
            const Glyph* glyph = FindGlyph(text[i]);
            if (!glyph)
                continue;
            for (int32_t row = 0; row < 7; ++row) {
                for (int32_t col = 0; col < 5; ++col) {
                    if (!(glyph->rows[row] & (0x10 >> col)))
                        continue;
                    for (int32_t sy = 0; sy < scale; ++sy) {
                        for (int32_t sx = 0; sx < scale; ++sx) {
                            canvas.Set(left + (static_cast<int32_t>(i) * kGlyphAdvance + col) * scale + sx + offset,
                                       top + row * scale + sy + offset, pass == 0 ? shadow : ink);
                        }
                    }
                }
            }
        }
    }
}

// Preview bitmap: 156 x 117, 8 bits per pixel, 256 colours. Indices 0..191 are a ramp from
// deep to light blue, 254 is the lettering's shadow and 255 its white.
Bytes PreviewBitmap()
{
    constexpr int32_t width = 156, height = 117;
    std::vector<Rgb> palette(256, Rgb{0, 0, 0});
    for (int32_t k = 0; k < 192; ++k) {
        palette[static_cast<size_t>(k)] = Rgb{static_cast<uint8_t>(k * 90 / 191),
                                              static_cast<uint8_t>(24 + k * 176 / 191),
                                              static_cast<uint8_t>(96 + k * 159 / 191)};
    }
    palette[254] = Rgb{0, 16, 64};
    palette[255] = Rgb{255, 255, 255};

    Canvas canvas{width, height, std::vector<uint8_t>(width * height)};
    // Rings around a point a little above the centre: a triangle wave of the distance with a
    // 14-pixel period, fading with distance into the blue ground.
    const int32_t cx = width / 2, cy = height / 2 - 6;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t d4 = IntegerSqrt(16 * ((x - cx) * (x - cx) + (y - cy) * (y - cy)));  // 4 x distance
            const int32_t phase = d4 % 56;
            const int32_t wave = phase < 28 ? phase : 56 - phase;        // 0..28
            const int32_t fade = d4 < 320 ? 320 - d4 : 0;                 // 0..320
            const int32_t level = 40 + (wave * 5 * fade) / 320 + fade / 8;  // 40..220 before the cap
            canvas.Set(x, y, static_cast<uint8_t>(level > 191 ? 191 : level));
        }
    }
    DrawText(canvas, "3D", 24, 4, 255, 254);
    DrawText(canvas, "Vellumar", 64, 3, 255, 254);

    const uint32_t rowBytes = RowBytes(width, 8);
    const uint32_t imageSize = rowBytes * height;
    const uint32_t offBits = 14 + 40 + 256 * 4;
    Bytes out;
    Put16(out, 0x4D42);
    Put32(out, offBits + imageSize);
    Put32(out, 0);
    Put32(out, offBits);
    PutInfoHeader(out, width, height, 8, imageSize, 256);
    PutPalette(out, palette);
    for (int32_t y = height - 1; y >= 0; --y) {  // bottom row first
        for (int32_t x = 0; x < width; ++x)
            out.push_back(canvas.pixels[static_cast<size_t>(y * width + x)]);
        for (uint32_t pad = width; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

// One icon or cursor image: header with doubled height, colour table, XOR rows, AND rows,
// both bottom row first.
Bytes IconImage(int32_t size, uint16_t bitCount, const std::vector<Rgb>& palette,
                const std::vector<uint8_t>& colorIndex, const std::vector<bool>& transparent)
{
    const uint32_t xorRow = RowBytes(size, bitCount);
    const uint32_t andRow = RowBytes(size, 1);
    Bytes out;
    PutInfoHeader(out, size, size * 2, bitCount, (xorRow + andRow) * size, 0);
    PutPalette(out, palette);
    for (int32_t y = size - 1; y >= 0; --y) {
        Bytes row(xorRow, 0);
        for (int32_t x = 0; x < size; ++x) {
            const uint8_t index = colorIndex[static_cast<size_t>(y * size + x)];
            const int32_t bit = x * bitCount;
            row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(index << (8 - bitCount - bit % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int32_t y = size - 1; y >= 0; --y) {
        Bytes row(andRow, 0);
        for (int32_t x = 0; x < size; ++x) {
            if (transparent[static_cast<size_t>(y * size + x)])
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct DirectoryImage {
    uint8_t width, height, colorCount;
    uint16_t planesOrHotspotX, bitCountOrHotspotY;
    Bytes data;
};

// ICO (type 1) and CUR (type 2) files share one layout.
Bytes IconFile(uint16_t type, const std::vector<DirectoryImage>& images)
{
    Bytes out;
    Put16(out, 0);
    Put16(out, type);
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const DirectoryImage& image : images) {
        out.push_back(image.width);
        out.push_back(image.height);
        out.push_back(image.colorCount);
        out.push_back(0);
        Put16(out, image.planesOrHotspotX);
        Put16(out, image.bitCountOrHotspotY);
        Put32(out, static_cast<uint32_t>(image.data.size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(image.data.size());
    }
    for (const DirectoryImage& image : images)
        out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

// 32 x 32 monochrome, AND mask all ones and XOR mask all zeros: shows nothing. Hot spot (0, 0).
Bytes TransparentCursor()
{
    const std::vector<Rgb> palette = {{0, 0, 0}, {255, 255, 255}};
    const Bytes image = IconImage(32, 1, palette, std::vector<uint8_t>(32 * 32, 0),
                                  std::vector<bool>(32 * 32, true));
    return IconFile(2, {{32, 32, 2, 0, 0, image}});
}

// The 16 colours of the standard VGA palette.
const std::vector<Rgb> kVgaPalette = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

// A round pool of water with rings around a falling drop, on a transparent ground.
DirectoryImage IconImageOfSize(int32_t size)
{
    constexpr uint8_t navy = 4, blue = 12, teal = 6, cyan = 14, white = 15;
    std::vector<uint8_t> colors(static_cast<size_t>(size * size), 0);
    std::vector<bool> transparent(static_cast<size_t>(size * size), true);
    // Coordinates in 1/16 pixel, centred on the pixel centres.
    const int32_t c16 = size * 8;
    const int32_t radius16 = size * 8 - 8;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const int32_t dx = x * 16 + 8 - c16, dy = y * 16 + 8 - c16;
            const int32_t d16 = IntegerSqrt(dx * dx + dy * dy);
            if (d16 > radius16)
                continue;
            const size_t i = static_cast<size_t>(y * size + x);
            transparent[i] = false;
            const int32_t ring = (d16 * 8 / radius16) % 3;  // three bands per ring period
            colors[i] = d16 > radius16 - 16 ? navy : ring == 0 ? cyan : ring == 1 ? blue : teal;
            if (d16 < radius16 / 6)
                colors[i] = white;  // the drop
        }
    }
    const Bytes image = IconImage(size, 4, kVgaPalette, colors, transparent);
    return {static_cast<uint8_t>(size), static_cast<uint8_t>(size), 16, 1, 4, image};
}

Bytes ProgramIcon()
{
    return IconFile(1, {IconImageOfSize(32), IconImageOfSize(16)});
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vellumar-resgen DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    const bool ok = WriteFile(directory + "/Vellumar.cur", TransparentCursor()) &&
                    WriteFile(directory + "/Preview.bmp", PreviewBitmap()) &&
                    WriteFile(directory + "/Vellumar.ico", ProgramIcon());
    if (!ok) {
        std::fprintf(stderr, "vellumar-resgen: cannot write into %s\n", directory.c_str());
        return 1;
    }
    return 0;
}
