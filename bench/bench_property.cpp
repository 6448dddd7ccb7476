// The property database against plain containers, and against the literal forms of its
// own algorithms (exchange sort, an import that copies the rest of the text per line).
// The last benchmark prints the ratios of the pairs measured in this run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/property_core.h"

namespace chartest {
namespace {

// Nanoseconds per iteration of each benchmark, as timed around the measured work only.
std::map<std::string, double>& timings() {
    static std::map<std::string, double> t;
    return t;
}

// Times the measured part of one iteration and adds it to the benchmark's record.
class Stopwatch {
public:
    explicit Stopwatch(const char* name) : name_(name) {}
    template <class F>
    void measure(F&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        total_ += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        ++count_;
    }
    ~Stopwatch() {
        if (count_) timings()[name_] = total_ / static_cast<double>(count_);
    }

private:
    const char* name_;
    double total_ = 0;
    int64_t count_ = 0;
};

// A property text of `lines` lines with random labels, in random order.
std::string property_text(int lines, uint32_t seed = 1) {
    std::mt19937_64 rng(seed);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 40);
    char line[64];
    for (int i = 0; i < lines; ++i) {
        const int n = std::snprintf(line, sizeof line, "%sk%016llx=value %d",
                                    i ? "\r\n" : "", static_cast<unsigned long long>(rng()), i);
        text.append(line, static_cast<size_t>(n));
    }
    return text;
}

const std::string& big_text() {
    static const std::string text = property_text(1000000);
    return text;
}

std::vector<std::string> random_labels(int n, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::vector<std::string> labels;
    labels.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) labels.push_back("label" + std::to_string(rng()));
    return labels;
}

// Splits a property text into (label, value) pairs, walking it with offsets.
template <class F>
void for_each_property(std::string_view text, F&& f) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t crlf = text.find("\r\n", start);
        const size_t end = crlf == std::string_view::npos ? text.size() : crlf;
        const std::string_view line = text.substr(start, end - start);
        start = crlf == std::string_view::npos ? text.size() : crlf + 2;
        const size_t eq = line.find('=');
        if (eq != std::string_view::npos) f(line.substr(0, eq), line.substr(eq + 1));
    }
}

// ---- Import and export of 1,000,000 lines ---------------------------------------------

void BM_Import_1M(benchmark::State& state) {
    Stopwatch watch(__func__);
    for (auto _ : state) {
        state.PauseTiming();
        std::string buffer = big_text();
        PropertyDb db;
        state.ResumeTiming();
        watch.measure([&] { PROPERTY_DATABASE_IMPORT(db, buffer); });
        benchmark::DoNotOptimize(db.ubound());
        state.PauseTiming();
        db = PropertyDb();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Import_1M)->Unit(benchmark::kMillisecond);

void BM_Import_1M_VectorStableSortPeer(benchmark::State& state) {
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::vector<std::pair<std::string, std::string>> v;
        watch.measure([&] {
            for_each_property(big_text(), [&](std::string_view l, std::string_view r) {
                v.emplace_back(std::string(l), std::string(r));
            });
            std::stable_sort(v.begin(), v.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        });
        benchmark::DoNotOptimize(v.data());
        state.PauseTiming();
        v = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Import_1M_VectorStableSortPeer)->Unit(benchmark::kMillisecond);

void BM_Import_1M_MapPeer(benchmark::State& state) {
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::multimap<std::string, std::string> m;
        watch.measure([&] {
            for_each_property(big_text(), [&](std::string_view l, std::string_view r) {
                m.emplace_hint(m.end(), std::string(l), std::string(r));
            });
        });
        benchmark::DoNotOptimize(m.size());
        state.PauseTiming();
        m = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Import_1M_MapPeer)->Unit(benchmark::kMillisecond);

void BM_Export_1M(benchmark::State& state) {
    PropertyDb db;
    std::string text = big_text();
    PROPERTY_DATABASE_IMPORT(db, text);
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::string buffer;
        watch.measure([&] { PROPERTY_DATABASE_EXPORT(db, buffer); });
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_Export_1M)->Unit(benchmark::kMillisecond);

void BM_Export_1M_VectorPeer(benchmark::State& state) {
    std::vector<std::pair<std::string, std::string>> v;
    for_each_property(big_text(), [&](std::string_view l, std::string_view r) {
        v.emplace_back(std::string(l), std::string(r));
    });
    std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::string buffer;
        watch.measure([&] {
            for (const auto& [l, r] : v) {
                if (!buffer.empty()) buffer += "\r\n";
                buffer += l;
                buffer += '=';
                buffer += r;
            }
        });
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_Export_1M_VectorPeer)->Unit(benchmark::kMillisecond);

// ---- 100,000 sets with random labels ----------------------------------------------------

void BM_Set_100k(benchmark::State& state) {
    const std::vector<std::string> labels = random_labels(100000, 2);
    const std::string value = "value";
    Stopwatch watch(__func__);
    for (auto _ : state) {
        PropertyDb db;
        watch.measure([&] {
            for (const std::string& l : labels) PROPERTY_DATABASE_SET(db, l, value);
        });
        benchmark::DoNotOptimize(db.ubound());
    }
}
BENCHMARK(BM_Set_100k)->Unit(benchmark::kMillisecond);

void BM_Set_100k_MapPeer(benchmark::State& state) {
    const std::vector<std::string> labels = random_labels(100000, 2);
    const std::string value = "value";
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::map<std::string, std::string> m;
        watch.measure([&] {
            for (const std::string& l : labels) m[l] = value;
        });
        benchmark::DoNotOptimize(m.size());
    }
}
BENCHMARK(BM_Set_100k_MapPeer)->Unit(benchmark::kMillisecond);

// ---- Finding present labels among 100,000 -------------------------------------------

void BM_Find_100k(benchmark::State& state) {
    const std::vector<std::string> labels = random_labels(100000, 3);
    PropertyDb db;
    for (const std::string& l : labels) PROPERTY_DATABASE_SET(db, l, "v");
    std::vector<std::string> probes = labels;
    std::shuffle(probes.begin(), probes.end(), std::mt19937(4));
    Stopwatch watch(__func__);
    for (auto _ : state) {
        int64_t sum = 0;
        watch.measure([&] {
            int32_t where = 0;
            for (const std::string& p : probes) sum += PROPERTY_BINARY_FIND(db, p, where);
        });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Find_100k)->Unit(benchmark::kMillisecond);

void BM_Find_100k_MapPeer(benchmark::State& state) {
    const std::vector<std::string> labels = random_labels(100000, 3);
    std::map<std::string, std::string> m;
    for (const std::string& l : labels) m[l] = "v";
    std::vector<std::string> probes = labels;
    std::shuffle(probes.begin(), probes.end(), std::mt19937(4));
    Stopwatch watch(__func__);
    for (auto _ : state) {
        int64_t sum = 0;
        watch.measure([&] {
            for (const std::string& p : probes) sum += m.find(p)->second.size();
        });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Find_100k_MapPeer)->Unit(benchmark::kMillisecond);

// ---- Against the literal algorithms, at sizes they can finish -----------------------

constexpr int kNaiveLines = 4000;

// The exchange sort as it reads: full passes until one exchanges nothing.
void literal_exchange_sort(PropertyDb& db) {
    bool exchanged;
    do {
        exchanged = false;
        for (int32_t i = db.lbound(); i < db.ubound(); ++i) {
            if (db[i + 1].LABEL < db[i].LABEL) {
                std::swap(db[i].LABEL, db[i + 1].LABEL);
                std::swap(db[i].VALUE, db[i + 1].VALUE);
                std::swap(db[i].IMAGE, db[i + 1].IMAGE);
                exchanged = true;
            }
        }
    } while (exchanged);
}

// The import as it reads: each line is cut off the front and the rest copied anew.
void literal_import(PropertyDb& db, std::string& buffer) {
    PROPERTY_ERASE(db);
    while (!buffer.empty()) {
        const size_t crlf = buffer.find("\r\n");
        const std::string line = buffer.substr(0, crlf);
        buffer = crlf == std::string::npos ? std::string() : buffer.substr(crlf + 2);
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        PROPERTY_INC_CAPACITY(db, 1);
        db[db.ubound()].ITERATOR = -1;
        db[db.ubound()].LABEL = line.substr(0, eq);
        db[db.ubound()].VALUE = line.substr(eq + 1);
    }
    literal_exchange_sort(db);
}

void BM_Import_4k(benchmark::State& state) {
    const std::string text = property_text(kNaiveLines, 5);
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::string buffer = text;
        PropertyDb db;
        watch.measure([&] { PROPERTY_DATABASE_IMPORT(db, buffer); });
        benchmark::DoNotOptimize(db.ubound());
    }
}
BENCHMARK(BM_Import_4k)->Unit(benchmark::kMillisecond);

void BM_Import_4k_LiteralPeer(benchmark::State& state) {
    const std::string text = property_text(kNaiveLines, 5);
    Stopwatch watch(__func__);
    for (auto _ : state) {
        std::string buffer = text;
        PropertyDb db;
        watch.measure([&] { literal_import(db, buffer); });
        benchmark::DoNotOptimize(db.ubound());
    }
}
BENCHMARK(BM_Import_4k_LiteralPeer)->Unit(benchmark::kMillisecond);

// ---- Ratios -------------------------------------------------------------------------

void BM_Ratios(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(timings().size());
    struct Pair {
        const char* name;
        const char* ours;
        const char* peer;
    };
    const Pair pairs[] = {
        {"import/vector", "BM_Import_1M", "BM_Import_1M_VectorStableSortPeer"},
        {"import/map", "BM_Import_1M", "BM_Import_1M_MapPeer"},
        {"export/vector", "BM_Export_1M", "BM_Export_1M_VectorPeer"},
        {"set/map", "BM_Set_100k", "BM_Set_100k_MapPeer"},
        {"find/map", "BM_Find_100k", "BM_Find_100k_MapPeer"},
        {"import/literal", "BM_Import_4k", "BM_Import_4k_LiteralPeer"},
    };
    static bool printed = false;
    for (const Pair& p : pairs) {
        const auto ours = timings().find(p.ours), peer = timings().find(p.peer);
        if (ours == timings().end() || peer == timings().end() || peer->second <= 0) continue;
        const double ratio = ours->second / peer->second;
        state.counters[p.name] = ratio;
        if (!printed) std::printf("ratio %-15s %8.3f  (%s / %s)\n", p.name, ratio, p.ours, p.peer);
    }
    printed = true;
}
BENCHMARK(BM_Ratios)->Iterations(1);

}  // namespace
}  // namespace chartest
