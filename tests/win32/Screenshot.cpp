#include "Screenshot.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace quillmere::test {

namespace {

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(v >> shift));
    }
}

void Chunk(std::vector<unsigned char>& png, const char* type,
           const std::vector<unsigned char>& data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
    Put32(png, static_cast<uint32_t>(crc));
}

// RGB rows, top to bottom, each with filter byte 0.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rows) {
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> packed(size);
    if (compress2(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 9) != Z_OK) {
        return false;
    }
    packed.resize(size);
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> header;
    Put32(header, static_cast<uint32_t>(width));
    Put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

}  // namespace

bool SaveScreenshot(HWND window, const std::string& pngPath) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine hands what was painted to the display when the thread waits: a
    // picture taken at once may show a grid half drawn. A short wait for
    // nothing (no message is taken, so no handler runs) lets it through.
    MsgWaitForMultipleObjectsEx(0, nullptr, 150, 0, 0);
    RECT r;
    if (!GetWindowRect(window, &r)) {
        return false;
    }
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
        GdiFlush();
        std::vector<unsigned char> rows;
        rows.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
        const auto* px = static_cast<const unsigned char*>(bits);
        for (int y = 0; y < height; ++y) {
            rows.push_back(0);
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = px + (static_cast<size_t>(y) * width + x) * 4;
                rows.insert(rows.end(), {p[2], p[1], p[0]});
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        ok = ok && WritePng(pngPath, width, height, rows);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace quillmere::test
