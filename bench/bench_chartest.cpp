// The whole character test in batch mode on a 100,000-line input, beside the same
// glyph blits and page copies done with SDL_BlitSurface on ARGB8888 surfaces (the
// peer) and with plain memcpy of the same bytes (the floor). Prints the ratios.
//
//   build-release/bench/bench_chartest [--benchmark_min_time=...]

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "demo/chartest_loop.h"
#include "demo/tables.h"
#include "platform/font8x8.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {
namespace {

constexpr int LINES = 100000;

// The input: lines of 1 to 40 random printable bytes, the kind a font author writes.
const std::string& input_path() {
    static const std::string path = [] {
        std::string p = "/tmp/chartest-bench-input.txt";
        std::mt19937 rng(42);
        std::string text;
        for (int i = 0; i < LINES; ++i) {
            const int len = 1 + static_cast<int>(rng() % 40);
            for (int k = 0; k < len; ++k) text += static_cast<char>(33 + rng() % 94);
            text += "\r\n";
        }
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

// A sheet of `cell`-pixel glyphs from the built-in font, white on transparent.
std::vector<uint32_t> sheet_pixels(int cell) {
    const int size = cell * 16, zoom = cell / 8;
    std::vector<uint32_t> px(static_cast<size_t>(size) * size, 0);
    for (int code = 0; code < 256; ++code)
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (FONT_8X8[code][y / zoom] & (0x80u >> (x / zoom)))
                    px[static_cast<size_t>((code / 16) * cell + y) * size + (code % 16) * cell + x] =
                        0xFFFFFFFF;
    return px;
}

// Every glyph blit of the run (sheet cell and page position) and where the page
// copies fall, computed once from the input, for the peer and the floor.
struct Blit {
    int sx, sy, dx, dy;
};
struct Workload {
    std::vector<Blit> blits;
    std::vector<size_t> flip_after;  // number of blits done when each page copy happens
};

Workload workload(int cell) {
    Workload w;
    std::FILE* f = std::fopen(input_path().c_str(), "rb");
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n;
    int row = 1;  // text cursor row, 30 rows of 8 pixels
    while ((n = getline(&buf, &cap, f)) > 0) {
        std::string r(buf, static_cast<size_t>(n));
        while (!r.empty() && (r.back() == '\n' || r.back() == '\r')) r.pop_back();
        strip_outer_quotes(r);
        const std::string v = ascii_seq_text(r);
        int xp = 0, yp = (row - 1) * cell;
        for (unsigned char c : v) {
            if (c != 32) w.blits.push_back({(c % 16) * cell, (c / 16) * cell, xp, yp});
            xp += cell;
            if (xp >= 320) {
                xp = 0;
                yp += cell;
                if (row < 30) ++row;
            }
        }
        w.flip_after.push_back(w.blits.size());
    }
    free(buf);
    std::fclose(f);
    return w;
}

void BM_CharacterTest(benchmark::State& state) {
    const int cell = static_cast<int>(state.range(0));
    headless::select();
    SCREEN_OPEN(320, 240, 32, 16, 0, 0);
    SCREEN_PAGES(1, 0);
    FONT.redim(0, 0);
    FONT[0].SHEET = IMAGE_CREATE(cell * 16, cell * 16);
    FONT[0].SHEET->pixels = sheet_pixels(cell);
    FILE.redim(0, 0);
    FILE[0].FILE = input_path();
    for (auto _ : state) {
        FILE[0].MODE = free_file_number();
        headless::push_key(" ");
        MAIN();
    }
    IMAGE_DESTROY(FONT[0].SHEET);
    FONT.erase();
    FILE.erase();
    SCREEN_CLOSE();
}

void BM_SdlBlitSurface(benchmark::State& state) {
    const int cell = static_cast<int>(state.range(0));
    const Workload w = workload(cell);
    std::vector<uint32_t> sheet = sheet_pixels(cell);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(sheet.data(), cell * 16, cell * 16, 32,
                                                          cell * 16 * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* work = SDL_CreateRGBSurfaceWithFormat(0, 320, 240, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* visible = SDL_CreateRGBSurfaceWithFormat(0, 320, 240, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceBlendMode(work, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        SDL_FillRect(work, nullptr, 0xFF000000);
        size_t b = 0;
        for (size_t flip : w.flip_after) {
            for (; b < flip; ++b) {
                SDL_Rect s{w.blits[b].sx, w.blits[b].sy, cell, cell};
                SDL_Rect d{w.blits[b].dx, w.blits[b].dy, cell, cell};
                SDL_BlitSurface(src, &s, work, &d);
            }
            SDL_BlitSurface(work, nullptr, visible, nullptr);
        }
        benchmark::DoNotOptimize(visible->pixels);
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(work);
    SDL_FreeSurface(visible);
}

void BM_Memcpy(benchmark::State& state) {
    const int cell = static_cast<int>(state.range(0));
    const Workload w = workload(cell);
    const std::vector<uint32_t> sheet = sheet_pixels(cell);
    std::vector<uint32_t> work(320 * 240), visible(320 * 240);
    const int pitch = cell * 16;
    for (auto _ : state) {
        size_t b = 0;
        for (size_t flip : w.flip_after) {
            for (; b < flip; ++b) {
                const Blit& g = w.blits[b];
                for (int y = 0; y < cell && g.dy + y < 240; ++y) {
                    const int len = std::min(cell, 320 - g.dx);
                    std::memcpy(&work[static_cast<size_t>(g.dy + y) * 320 + g.dx],
                                &sheet[static_cast<size_t>(g.sy + y) * pitch + g.sx],
                                static_cast<size_t>(len) * 4);
                }
            }
            std::memcpy(visible.data(), work.data(), visible.size() * 4);
        }
        benchmark::DoNotOptimize(visible.data());
    }
}

BENCHMARK(BM_CharacterTest)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlBlitSurface)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

// Remembers each result's time per iteration so that the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.iterations > 0) ms[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace
}  // namespace chartest

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    chartest::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nThe whole character test against the glyph blits and page copies alone:\n");
    for (const char* sheet : {"8", "16"}) {
        const double ours = reporter.ms["BM_CharacterTest/" + std::string(sheet)];
        const double peer = reporter.ms["BM_SdlBlitSurface/" + std::string(sheet)];
        const double floor = reporter.ms["BM_Memcpy/" + std::string(sheet)];
        if (ours <= 0 || peer <= 0 || floor <= 0) continue;
        std::printf("  %3s x %-3s sheet: chartest %8.1f ms, SDL_BlitSurface %8.1f ms (%.2fx as fast),"
                    " memcpy %8.1f ms (%.2fx of the floor's time)\n",
                    std::to_string(16 * std::stoi(sheet)).c_str(),
                    std::to_string(16 * std::stoi(sheet)).c_str(), ours, peer, peer / ours, floor,
                    ours / floor);
    }
    benchmark::Shutdown();
    return 0;
}
