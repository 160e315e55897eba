// Texts that must stay within a width. The cut marker is "...": the font's
// glyphs are Latin-1, which has no ellipsis.
#include "frontend/text_fit.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/font_atlas.h"
#include "frontend/font.h"
#include "frontend/frontend.h"

namespace {

const char DOTS[] = "...";
constexpr size_t DOTS_LEN = sizeof DOTS - 1;

double advance_of(uint32_t cp) { return FONT_GLYPHS[glyph_index(cp)].advance; }

// The widest glyph's advance: with it, a text's byte count bounds its width.
double widest_advance() {
    static const double widest = [] {
        double w = 0.0;
        for (const GlyphInfo& g : FONT_GLYPHS) w = std::max(w, (double)g.advance);
        return w;
    }();
    return widest;
}

bool is_separator(char c) { return c == ' ' || c == '/' || c == '\\'; }

// The end of the last whole character that ends at or before byte k.
int boundary_at_or_before(const char* text, int k) {
    uint32_t cp;
    int at = 0;
    for (int n; (n = utf8_decode(text + at, &cp)) > 0 && at + n <= k;) at += n;
    return at;
}

// A name's extension: a dot after its first character, then one to five
// letters or digits to the end, at least one of them a letter.
bool ends_in_extension(const char* t, size_t n) {
    const char* dot = (const char*)memrchr(t, '.', n);
    if (!dot || dot == t) return false;
    size_t len = n - (size_t)(dot + 1 - t);
    if (len < 1 || len > 5) return false;
    bool letter = false;
    for (const char* p = dot + 1; p < t + n; p++) {
        if (!isalnum((unsigned char)*p)) return false;
        letter = letter || isalpha((unsigned char)*p);
    }
    return letter;
}

}  // namespace

int text_width_bound(const char* text, int size) {
    return (int)(strlen(text) * widest_advance() * size / FONT_NOMINAL_SIZE) + 1;
}

int text_may_exceed(const char* text, int size, int max_w) {
    if (max_w < 0) return 1;
    // Every code point takes at least one byte and at most the widest advance.
    double per_byte = widest_advance() * size / FONT_NOMINAL_SIZE;
    size_t safe = per_byte > 0 ? (size_t)(max_w / per_byte) : SIZE_MAX;
    return strnlen(text, safe + 1) > safe;
}

int text_fits(const char* text, int size, int max_w) {
    return !text_may_exceed(text, size, max_w) || measure_text_width(text, size) <= max_w;
}

int texts_fit_side_by_side(const char* a, int as, const char* b, int bs, int gap, int max_w) {
    if (text_width_bound(a, as) + gap + text_width_bound(b, bs) <= max_w) return 1;
    return measure_text_width(a, as) + gap + measure_text_width(b, bs) <= max_w;
}

int cut_for(const char* text) {
    const char* t = text;
    if (t[0] == '.' && t[1] == '.') t++;
    bool path = t[0] == '/' || t[0] == '~' || (t[0] == '.' && t[1] == '/') ||
                (((t[0] | 0x20) >= 'a' && (t[0] | 0x20) <= 'z') && t[1] == ':' && (t[2] == '\\' || t[2] == '/'));
    if (path) return CUT_KEEPS_END;
    size_t n = strlen(text);
    bool name = n > 1 && (text[n - 1] == '/' || ends_in_extension(text, n));
    return name ? CUT_KEEPS_BOTH : CUT_KEEPS_START;
}

const char* fit_text(const char* text, int size, int max_w, int cut, char* out, size_t out_size) {
    if (!text_may_exceed(text, size, max_w)) return text;
    double s = size / (double)FONT_NOMINAL_SIZE;
    // The width test of measure_text_width: the sum of advances, rounded once.
    auto fits = [&](double sum) { return (int)(sum * s + 0.5) <= max_w; };
    double total = 0.0;
    uint32_t cp;
    for (const char* p = text; int n = utf8_decode(p, &cp); p += n) total += advance_of(cp);
    if (fits(total)) return text;

    if (out_size == 0) return "";  // no room to write even the end of a string
    out[0] = '\0';
    double dots = DOTS_LEN * advance_of('.');
    if (out_size <= DOTS_LEN || !fits(dots)) return out;
    size_t room = out_size - 1 - DOTS_LEN;  // bytes of the text kept beside the dots
    size_t len = strlen(text);

    // The start that is kept: all the width but the dots', half of it when
    // the end is kept too, none when only the end is.
    size_t head = 0;
    double head_sum = 0.0;
    const double half = (max_w / s - dots) / 2;
    if (cut != CUT_KEEPS_END) {
        for (int n; (n = utf8_decode(text + head, &cp)) > 0; head += (size_t)n) {
            double next = head_sum + advance_of(cp);
            bool ok = cut == CUT_KEEPS_BOTH ? next <= half : fits(next + dots);
            if (!ok || head + (size_t)n > room) break;
            head_sum = next;
        }
    }
    // The end that is kept: the shortest tail after the start that leaves
    // room for it.
    size_t tail = len;
    if (cut != CUT_KEEPS_START) {
        double before = head_sum;
        for (size_t at = head;;) {
            if (fits(head_sum + dots + (total - before)) && head + (len - at) <= room) {
                tail = at;
                break;
            }
            int n = utf8_decode(text + at, &cp);
            if (n == 0) break;
            before += advance_of(cp);
            at += (size_t)n;
        }
    }
    // Blanks next to the dots only widen the gap.
    while (head > 0 && text[head - 1] == ' ') head--;
    while (tail < len && text[tail] == ' ') tail++;
    memcpy(out, text, head);
    memcpy(out + head, DOTS, DOTS_LEN);
    memcpy(out + head + DOTS_LEN, text + tail, len - tail);
    out[head + DOTS_LEN + (len - tail)] = '\0';
    return out;
}

int draw_text_fitted(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align,
                     int max_w, int cut) {
    if (!text) return 0;
    char fitted[FE_PATH_SIZE + 128];
    return draw_text(r, fit_text(text, size, max_w, cut, fitted, sizeof fitted), x, y, size, colour, align);
}

int wrap_text_line(const char* text, int size, int max_w, int max_bytes, char* line) {
    const size_t end = strcspn(text, "\n");
    uint32_t cp;
    const int first_len = utf8_decode(text, &cp);  // a newline ends a sequence, so this stays in the line
    if (end > 0 && max_bytes < first_len) {
        // Not even one character fits: 0 would read as an empty line, past
        // which a caller steps without getting anywhere.
        if (max_bytes >= 0) line[0] = '\0';
        return -1;
    }
    int k = boundary_at_or_before(text, (int)std::min(end, (size_t)max_bytes));
    memcpy(line, text, (size_t)k);
    line[k] = '\0';
    const int first = std::min(k, first_len);  // the least a line holds
    while (k > first && measure_text_width(line, size) > max_w) {
        // Separators are single bytes, so breaking before one never
        // splits a character.
        int j = k - 1;
        while (j >= 1 && !is_separator(line[j])) j--;
        k = j >= 1 ? j : std::max(first, boundary_at_or_before(line, k - 1));  // one character less
        line[k] = '\0';
    }
    return k;
}

const char* next_line_start(const char* text, int k) {
    text += k;
    if (*text == ' ' || *text == '\n') text++;
    return text;
}

void draw_text_wrapped(SDL_Renderer* r, const char* text, int x, int y, int size, uint32_t colour, int align,
                       int max_w, int step, int bottom) {
    if (text_fits(text, size, max_w)) {
        draw_text(r, text, x, y, size, colour, align);
        return;
    }
    int line_h = text_line_height(size);
    char line[FE_PATH_SIZE];
    for (; *text && y + line_h <= bottom; y += step) {
        if (y + step + line_h > bottom) {  // the last line there is room for
            draw_text_fitted(r, text, x, y, size, colour, align, max_w, CUT_KEEPS_START);
            return;
        }
        int k = wrap_text_line(text, size, max_w, (int)sizeof line - 1, line);
        if (k < 0) return;
        draw_text(r, line, x, y, size, colour, align);
        text = next_line_start(text, k);
    }
}
