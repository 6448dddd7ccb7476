// Text boxes and echo panels.
//
// TEXT_BOX_STRING and TEXT_BOX_RENDER walk their text with an offset instead of cutting
// the rest off after every piece or line, so long texts take linear time; the results
// are those of taking the pieces off the front one by one.
#include "support/text_box.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "support/memory_management.h"
#include "support/simple_input.h"
#include "support/vga_lookup.h"

namespace chartest {

namespace {

constexpr std::string_view CRLF = "\r\n";

constexpr uint32_t BOX_TEXT_COLOUR = 0xFF00FF00u;    // opaque green
constexpr uint32_t BOX_CROSS_COLOUR = 0x80FF0000u;   // red, alpha 128
constexpr uint32_t PANEL_CROSS_COLOUR = 0xC400FF00u; // green, alpha 196
constexpr int32_t PANEL_COLUMNS = 40;
constexpr int32_t PANEL_ROWS = 30;
constexpr uint64_t MESSAGE_VGA = 15;
constexpr int32_t CELL = 8;

bool crlf_at(const std::string& s, size_t i) {
    return i + 1 < s.size() && s[i] == '\r' && s[i + 1] == '\n';
}

// Every run of spaces becomes one space, every run of CR LF pairs one CR LF. Dropping a
// space never brings two line breaks together and dropping a line break never brings
// two spaces together, so one pass does both.
std::string collapse_runs(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (crlf_at(text, i)) {
            const bool after_break =
                out.size() >= 2 && out[out.size() - 2] == '\r' && out.back() == '\n';
            if (!after_break) out.append(CRLF);
            i += 2;
            continue;
        }
        if (text[i] != ' ' || out.empty() || out.back() != ' ') out.push_back(text[i]);
        ++i;
    }
    return out;
}

// The draw of one diagonal cross, corner to corner, in plain lines.
void draw_cross(IMAGE image, uint32_t colour) {
    if (!image) fatal_error(ERR_NULL_POINTER);
    const int32_t right = image->WIDTH - 1;
    const int32_t bottom = image->HEIGHT - 1;
    DRAW_LINE(image, 0, 0, right, bottom, colour);
    DRAW_LINE(image, right, 0, 0, bottom, colour);
}

// The key wait of the text display: MESSAGE on the message line in VGA colour 15.
void message_wait(const std::string& message) {
    std::string msg = message;
    SIMPLESLEEP(VGA_TABLE, msg, MESSAGE_VGA);
}

std::string echo_panel(const std::string& buffer, const std::string& message) {
    IMAGE image = TEXT_BOX_RENDER(buffer, PANEL_COLUMNS, PANEL_ROWS, 0);
    draw_cross(image, PANEL_CROSS_COLOUR);
    if (const int32_t error = IMAGE_PUT(nullptr, 0, 0, image, PutMode::Alpha); error != 0)
        fatal_error(error);
    message_wait(message);
    IMAGEDESTROY2(image);
    return buffer;
}

}  // namespace

std::string TEXT_BOX_STRING(const std::string& BUFFER, int32_t W, int32_t /*H*/) {
    if (BUFFER.empty()) return {};
    const std::string queue = collapse_runs(BUFFER);
    const size_t n = queue.size();
    const int64_t width = W;

    std::string output;  // finished lines, each ended by CR LF
    std::string subject;  // the line being built
    output.reserve(n + n / 4 + 16);

    const auto finish_line = [&] {
        output += subject;
        output.append(CRLF);
        subject.clear();
    };

    // The next line break and the next space at or after `pos` (n when there is none),
    // found again only when `pos` has passed them.
    size_t pos = 0;
    size_t next_break = 0, next_space = 0;
    bool have_break = false, have_space = false;
    while (pos < n) {
        if (!have_break || next_break < pos) {
            next_break = std::min(queue.find(CRLF, pos), n);
            have_break = true;
        }
        if (!have_space || next_space < pos) {
            next_space = std::min(queue.find(' ', pos), n);
            have_space = true;
        }
        const bool line_end = next_break - pos < next_space - pos;
        int64_t length = static_cast<int64_t>((line_end ? next_break : next_space) - pos);

        if (length > 0) {
            // Cut a piece that is longer than a line (possible only from W = 2 on).
            while (width >= 2 && length > width) {
                if (subject.empty()) {
                    const int64_t take = width - 1;
                    output.append(queue, pos, static_cast<size_t>(take));
                    output += '-';
                    output.append(CRLF);
                    pos += static_cast<size_t>(take);
                    length -= take;
                } else if (const int64_t take = width - static_cast<int64_t>(subject.size()) - 2;
                           take >= 1) {
                    output += subject;
                    output += ' ';
                    output.append(queue, pos, static_cast<size_t>(take));
                    output += '-';
                    output.append(CRLF);
                    subject.clear();
                    pos += static_cast<size_t>(take);
                    length -= take;
                } else {
                    finish_line();
                }
            }
            // The piece now fits a line (or, for W below 2, goes on a line of its own).
            if (!subject.empty() &&
                static_cast<int64_t>(subject.size()) + 1 + length > width)
                finish_line();
            if (!subject.empty()) subject += ' ';
            subject.append(queue, pos, static_cast<size_t>(length));
            pos += static_cast<size_t>(length);
        }

        if (line_end) {
            finish_line();
            pos += CRLF.size();
        } else if (pos < n) {
            ++pos;  // the space that ended the word
        }
    }
    return output + subject;
}

IMAGE TEXT_BOX_RENDER(const std::string& BUFFER, int32_t W, int32_t H, int32_t Y_SCROLL) {
    SCREEN_COLOR(0xFFFFFFFFu);
    message_wait("\x1b");

    const int64_t pixel_width = int64_t{W} * CELL;
    const int64_t pixel_height = int64_t{H} * CELL;
    if (pixel_width > std::numeric_limits<int32_t>::max() ||
        pixel_height > std::numeric_limits<int32_t>::max())
        fatal_error(ERR_OUT_OF_MEMORY);
    IMAGE image = IMAGE_CREATE(static_cast<int32_t>(pixel_width),
                               static_cast<int32_t>(pixel_height), 0x00000000u, 32);
    // Without an image the text would land on the work page instead; end here.
    if (!image) fatal_error(ERR_NULL_POINTER);

    const int32_t x = 0;  // every line starts in the first column
    int64_t y = 0;         // the number of the current line
    size_t pos = 0;
    while (pos < BUFFER.size()) {
        ++y;
        size_t end = BUFFER.find(CRLF, pos);
        const std::string_view subject =
            std::string_view(BUFFER).substr(pos, end == std::string::npos ? end : end - pos);
        pos = end == std::string::npos ? BUFFER.size() : end + CRLF.size();
        const int64_t row = y - Y_SCROLL;
        if (row > H) break;
        if (row >= 1)
            DRAW_TEXT(image, x, static_cast<int32_t>((row - 1) * CELL), std::string(subject),
                      BOX_TEXT_COLOUR);
    }

    draw_cross(image, BOX_CROSS_COLOUR);
    return image;
}

std::string SEQ_ECHO_DIRECT(const std::string& SEQ_TEXT_BUFFER) {
    return echo_panel(SEQ_TEXT_BUFFER, "\x1b");
}

std::string PROPERTY_ECHO_DIRECT(const std::string& PROPERTY_TEXT_BUFFER) {
    return echo_panel(PROPERTY_TEXT_BUFFER, "");
}

}  // namespace chartest
