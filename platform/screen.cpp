// The facility's shared part: pages, the text cursor, images, keys and time on top of
// whichever back end is selected.

#include "platform/screen.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/bmp.h"
#include "platform/headless.h"
#include "platform/png.h"
#include "support/runtime.h"

namespace chartest {

namespace {

constexpr int32_t CELL = 8;  // text cells of the built-in font
// Largest image IMAGE_CREATE hands out: 1 GiB of pixels. Beyond that it reports
// "out of memory" instead of letting the system kill the process.
constexpr int64_t MAX_IMAGE_PIXELS = int64_t{1} << 28;

struct Facility {
    std::unique_ptr<Backend> backend;
    std::vector<std::unique_ptr<ImageData>> pages;
    int32_t work = 0, visible = 0;
    int32_t width = 0, height = 0;
    uint32_t fg = 0xFFFFFFFF, bg = 0xFF000000;
    int32_t row = 1, column = 1;

    // What the back end and the snapshot file last received of the visible page.
    uint64_t shown_id = 0, shown_generation = 0;
    uint64_t snapshot_id = 0, snapshot_generation = 0;

    std::mt19937_64 random{0x5EED'C0DE'2024ULL};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    ~Facility() {
        if (backend) backend->close();
    }

    bool open() const { return !pages.empty(); }
    int32_t columns() const { return width / CELL; }
    int32_t rows() const { return height / CELL; }
    ImageData& work_page() { return *pages[work]; }
    ImageData& visible_page() { return *pages[visible]; }
};

Facility& facility() {
    static Facility f;
    return f;
}

bool batch_mode() { return std::getenv("CHARTEST_KEYS") != nullptr; }

// The back end for KEY_POLL, SLEEP_MS and CLOCK_SECONDS: the open screen's, or the
// headless one when tests or batch mode chose it before a screen was opened.
Backend* input_backend() {
    Facility& f = facility();
    if (f.backend) return f.backend.get();
    if (headless::selected()) {
        f.backend = make_headless_backend();
        return f.backend.get();
    }
    return nullptr;
}

void start_batch_mode() {
    headless::select();
    headless::set_close_when_empty(true);
    std::vector<std::string> keys;
    std::string error;
    if (!decode_key_script(std::getenv("CHARTEST_KEYS"), keys, error)) {
        std::fprintf(stderr, "CHARTEST_KEYS: %s\n", error.c_str());
        keys.clear();
    }
    for (const std::string& k : keys) headless::push_key(k);
}

// Hands the visible page to the back end when it changed since it last saw it.
void show_visible() {
    Facility& f = facility();
    if (!f.open() || !f.backend) return;
    const ImageData& page = f.visible_page();
    if (page.id == f.shown_id && page.generation == f.shown_generation) return;
    f.shown_id = page.id;
    f.shown_generation = page.generation;
    f.backend->show(page);
}

void write_snapshot_if_changed() {
    Facility& f = facility();
    const char* path = std::getenv("CHARTEST_SNAPSHOT");
    if (!path || !*path || !f.open()) return;
    const ImageData& page = f.visible_page();
    if (page.id == f.snapshot_id && page.generation == f.snapshot_generation) return;
    if (!write_png(path, page)) std::fprintf(stderr, "chartest: cannot write snapshot %s\n", path);
    f.snapshot_id = page.id;
    f.snapshot_generation = page.generation;
}

// F12 in the window: the visible page as the next free chartest-NNN.png.
void save_screenshot() {
    Facility& f = facility();
    if (!f.open()) return;
    for (int n = 1; n < 1000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "chartest-%03d.png", n);
        std::error_code ec;
        if (std::filesystem::exists(name, ec)) continue;
        if (!write_png(name, f.visible_page()))
            std::fprintf(stderr, "chartest: cannot write %s\n", name);
        return;
    }
}

ImageData* target_or_work(IMAGE image) {
    if (image) return image;
    Facility& f = facility();
    return f.open() ? &f.work_page() : nullptr;
}

void scroll_up_one_row() {
    Facility& f = facility();
    ImageData& page = f.work_page();
    blit_copy(page, 0, 0, page, 0, CELL, page.WIDTH - 1, page.HEIGHT - 1);
    fill_rect(page, 0, (f.rows() - 1) * CELL, page.WIDTH, page.HEIGHT, f.bg);
}

void next_row() {
    Facility& f = facility();
    f.column = 1;
    if (f.row < f.rows()) {
        ++f.row;
    } else {
        scroll_up_one_row();
    }
}

}  // namespace

// ---- Screen ----------------------------------------------------------------------

int32_t SCREEN_OPEN(int32_t width, int32_t height, int32_t /*depth*/, int32_t pages,
                    int32_t /*flags*/, int32_t /*refresh*/) {
    if (width < 1 || height < 1 || pages < 1) return 1;
    if (batch_mode() && !headless::selected()) start_batch_mode();
    SCREEN_CLOSE();
    Facility& f = facility();
    std::unique_ptr<Backend> backend =
        headless::selected() ? make_headless_backend() : make_sdl_backend();
    if (!backend || !backend->open(width, height)) return 1;
    f.backend = std::move(backend);
    f.width = width;
    f.height = height;
    for (int32_t i = 0; i < pages; ++i)
        f.pages.push_back(std::make_unique<ImageData>(width, height, 0xFF000000));
    f.work = f.visible = 0;
    f.fg = 0xFFFFFFFF;
    f.bg = 0xFF000000;
    f.row = f.column = 1;
    f.shown_id = f.snapshot_id = 0;
    show_visible();
    return 0;
}

bool SCREEN_IS_OPEN() { return facility().open(); }

void SCREEN_CLOSE() {
    Facility& f = facility();
    if (f.backend) f.backend->close();
    f.backend.reset();
    f.pages.clear();
    f.width = f.height = 0;
}

void SCREEN_PAGES(int32_t work_page, int32_t visible_page) {
    Facility& f = facility();
    const int32_t n = static_cast<int32_t>(f.pages.size());
    if (work_page >= 0 && work_page < n) f.work = work_page;
    if (visible_page >= 0 && visible_page < n) f.visible = visible_page;
    show_visible();
}

void SCREEN_FLIP(int32_t from, int32_t to) {
    Facility& f = facility();
    if (!f.open()) return;
    const int32_t n = static_cast<int32_t>(f.pages.size());
    if (from < 0) from = f.work;
    if (to < 0) to = f.visible;
    if (from >= n || to >= n) return;
    copy_page(*f.pages[to], *f.pages[from]);
    show_visible();
}

ScreenInfo SCREEN_INFO() {
    Facility& f = facility();
    ScreenInfo info;
    if (!f.open()) return info;
    info.width = f.width;
    info.height = f.height;
    info.depth = 32;
    info.bytes_per_pixel = 4;
    info.pitch = f.width * 4;
    info.rate = f.backend->refresh_rate();
    info.driver = f.backend->driver();
    return info;
}

void SCREEN_CLEAR() {
    Facility& f = facility();
    if (!f.open()) return;
    fill_image(f.work_page(), f.bg);
    f.row = f.column = 1;
}

void SCREEN_COLOR(uint32_t foreground, uint32_t background, int32_t which) {
    Facility& f = facility();
    if (which & COLOR_FOREGROUND) f.fg = foreground;
    if (which & COLOR_BACKGROUND) f.bg = background;
}

uint32_t SCREEN_FOREGROUND() { return facility().fg; }
uint32_t SCREEN_BACKGROUND() { return facility().bg; }

IMAGE SCREEN_WORK_PAGE() { return target_or_work(nullptr); }

IMAGE SCREEN_PAGE(int32_t n) {
    Facility& f = facility();
    if (n < 0 || n >= static_cast<int32_t>(f.pages.size())) return nullptr;
    return f.pages[n].get();
}

// ---- Text cursor -----------------------------------------------------------------

void TEXT_LOCATE(int32_t row, int32_t column) {
    Facility& f = facility();
    if (!f.open()) return;
    if (row < 1 || row > f.rows() || column < 1 || column > f.columns()) return;
    f.row = row;
    f.column = column;
}

int32_t TEXT_ROW() { return facility().row; }
int32_t TEXT_COLUMN() { return facility().column; }

void TEXT_PRINT(const std::string& text, bool line_break) {
    Facility& f = facility();
    if (!f.open()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (line_break) std::fputc('\n', stdout);
        std::fflush(stdout);
        return;
    }
    for (unsigned char c : text) {
        draw_glyph8(f.work_page(), (f.column - 1) * CELL, (f.row - 1) * CELL, c, f.fg, &f.bg);
        if (++f.column > f.columns()) next_row();
    }
    if (line_break) next_row();
}

// ---- Images ----------------------------------------------------------------------

IMAGE IMAGE_CREATE(int32_t width, int32_t height, uint32_t fill, int32_t /*depth*/) {
    if (width < 1 || height < 1) return nullptr;
    if (int64_t{width} * height > MAX_IMAGE_PIXELS) fatal_error(ERR_OUT_OF_MEMORY);
    try {
        return new ImageData(width, height, fill);
    } catch (const std::bad_alloc&) {
        fatal_error(ERR_OUT_OF_MEMORY);
    }
}

void IMAGE_DESTROY(IMAGE image) { delete image; }

int32_t IMAGE_LOAD_BMP(const std::string& path, IMAGE image) {
    BmpResult bmp = load_bmp_file(path);
    if (bmp.error != 0) return bmp.error;
    ImageData* target = target_or_work(image);
    if (!target) return 0;
    ImageData src(0, 0, 0);
    src.WIDTH = bmp.image.width;
    src.HEIGHT = bmp.image.height;
    src.pixels = std::move(bmp.image.pixels);
    blit_copy(*target, 0, 0, src, 0, 0, src.WIDTH - 1, src.HEIGHT - 1);
    return 0;
}

int32_t IMAGE_PUT(IMAGE target, int32_t x, int32_t y, IMAGE source, PutMode mode) {
    if (!source) return 1;
    return IMAGE_PUT(target, x, y, source, 0, 0, source->WIDTH - 1, source->HEIGHT - 1, mode);
}

int32_t IMAGE_PUT(IMAGE target, int32_t x, int32_t y, IMAGE source, int32_t sx0, int32_t sy0,
                  int32_t sx1, int32_t sy1, PutMode mode) {
    if (!source) return 1;
    ImageData* dst = target_or_work(target);
    if (!dst) return 1;
    if (mode == PutMode::Alpha)
        blit_alpha(*dst, x, y, *source, sx0, sy0, sx1, sy1);
    else
        blit_copy(*dst, x, y, *source, sx0, sy0, sx1, sy1);
    return 0;
}

void DRAW_TEXT(IMAGE image, int32_t x, int32_t y, const std::string& text, uint32_t colour) {
    ImageData* dst = target_or_work(image);
    if (!dst) return;
    int64_t px = x;
    for (unsigned char c : text) {
        if (px >= dst->WIDTH) break;
        draw_glyph8(*dst, static_cast<int32_t>(px), y, c, colour, nullptr);
        px += CELL;
    }
}

void DRAW_LINE(IMAGE image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (ImageData* dst = target_or_work(image)) draw_line(*dst, x1, y1, x2, y2, colour);
}

void PIXEL_SET(IMAGE image, int32_t x, int32_t y, uint32_t colour) {
    if (ImageData* dst = target_or_work(image)) set_pixel(*dst, x, y, colour);
}

int64_t PIXEL_GET(IMAGE image, int32_t x, int32_t y) {
    const ImageData* src = target_or_work(image);
    return src ? get_pixel(*src, x, y) : -1;
}

// ---- Keyboard, time, randomness --------------------------------------------------

std::string KEY_POLL() {
    if (batch_mode() && !headless::selected()) start_batch_mode();
    show_visible();
    write_snapshot_if_changed();
    Backend* b = input_backend();
    if (!b) return std::string();
    std::string k = b->poll_key();
    if (k == "\xFF\x86" && b->interactive()) {
        save_screenshot();
        return std::string();
    }
    return k;
}

void SLEEP_MS(int32_t milliseconds) {
    show_visible();
    if (Backend* b = input_backend()) {
        b->sleep_ms(milliseconds);
    } else if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

double CLOCK_SECONDS() {
    if (Backend* b = input_backend()) return b->clock_seconds();
    const auto elapsed = std::chrono::steady_clock::now() - facility().start;
    return std::chrono::duration<double>(elapsed).count();
}

double RANDOM_UNIT() {
    // 53 random bits give every double in [0, 1) that has the finest spacing.
    return static_cast<double>(facility().random() >> 11) * 0x1.0p-53;
}

}  // namespace chartest
