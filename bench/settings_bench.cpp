// Settings document benchmark: reading a settings text into a document and
// writing it back, for documents of 1,000, 10,000 and 40,000 keys. The keys
// are spread over sections whose lines interleave, as a file that other
// programs appended to over the years would have them, so that the writer
// has to gather every section's keys from all over the document: once over
// 64 sections, once over a section for every four keys.
//
//   settings_bench [--seconds S]   (S per case, default 1.0; each case runs
//   at least once)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_args.h"
#include "frontend/ini.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// `keys` lines, each under a section line of its own: key i goes into
// section i mod `sections`.
std::string settings_text(int keys, int sections) {
    std::string text;
    char line[128];
    for (int i = 0; i < keys; i++) {
        snprintf(line, sizeof line, "[section%05d]\nunknown_key_%06d = value %d\n", i % sections, i, i * 7);
        text += line;
    }
    return text;
}

struct Figures {
    double read_ms = 0, write_ms = 0;
    int runs = 0;
};

// Reads and writes the text for about `budget` seconds; 0 when a run does
// not give back every key.
int measure(const std::string& text, int keys, double budget, Figures* out) {
    Clock::time_point start = Clock::now();
    while (out->runs == 0 || ms_since(start) < budget * 1000) {
        IniDocument doc{};
        Clock::time_point t = Clock::now();
        ini_parse_text(&doc, text.c_str(), text.size());
        out->read_ms += ms_since(t);
        t = Clock::now();
        size_t length = 0;
        char* written = ini_format_text(&doc, &length);
        out->write_ms += ms_since(t);
        int whole = written && doc.count == keys && length > text.size() / 2;
        free(written);
        free_ini(&doc);
        if (!whole) return 0;
        out->runs++;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    double budget = bench_seconds(argc, argv, 1.0);
    printf("Talvex settings benchmark: read and write a settings text in memory, %.1f s a case\n", budget);
    for (int keys : {1000, 10000, 40000}) {
        for (int sections : {64, keys / 4}) {
            std::string text = settings_text(keys, sections);
            Figures f;
            if (!measure(text, keys, budget, &f)) {
                fprintf(stderr, "settings_bench: %d keys did not read and write back whole\n", keys);
                return 1;
            }
            printf("  %6d keys in %5d sections:  read %10.3f ms  write %10.3f ms  (mean of %d runs)\n", keys, sections,
                   f.read_ms / f.runs, f.write_ms / f.runs, f.runs);
        }
    }
    return 0;
}
