// Our writers and extractors side by side with the peer tools, on the same
// generated database folder, in one run. Peers run as processes (their
// start-up is part of what a user waits for); ours are called in-process
// through the shared libraries, as the program calls them. Sizes are
// reported as counters: bytes and percent of the input.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

#include "sample_database.h"
#include "test_support.h"

namespace korvalen::archivers::test {
namespace {

struct Fixture {
    TempDir dir;
    std::vector<std::string> files;
    uint64_t inputBytes = 0;
    std::string names;  // the file names, for the peer tools' command lines
    std::string lzh, cab;
    explicit Fixture(int scale) {
        files = makeSampleDatabase(dir.path() / "db", scale);
        for (const auto& f : files) {
            inputBytes += fs::file_size(f);
            names += " " + shellQuote(fs::path(f).filename().string());
        }
        lzh = dir / "ours.lzh";
        cab = dir / "ours.cab";
        lha().run(lhaPackCommand(lzh, files));
        ::korvalen::archivers::test::cab().run(cabPackCommand(cab, files));
    }
    std::string db() const { return (dir.path() / "db").string(); }
};

Fixture& sample(int scale) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& f = fixtures[scale];
    if (!f) f = std::make_unique<Fixture>(scale);
    return *f;
}

void reportSize(benchmark::State& state, const Fixture& f, const std::string& archive) {
    const auto size = static_cast<double>(fs::file_size(archive));
    state.counters["bytes"] = size;
    state.counters["percent"] = 100.0 * size / static_cast<double>(f.inputBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.inputBytes));
}

bool needTool(benchmark::State& state, const char* tool) {
    if (toolAvailable(tool)) return true;
    state.SkipWithError((std::string(tool) + " is not installed").c_str());
    return false;
}

void runOrFail(benchmark::State& state, const std::string& cmd) {
    const auto r = runTool(cmd);
    if (r.exitCode != 0) state.SkipWithError(("failed: " + cmd + "\n" + r.output).c_str());
}

// ---- writers ----

void OursLhaPack(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    const std::string out = f.dir / "bench.lzh";
    for (auto _ : state) {
        fs::remove(out);
        if (lha().run(lhaPackCommand(out, f.files)).code != 0) state.SkipWithError("pack failed");
    }
    reportSize(state, f, out);
}

void JlhaPack(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "jlha")) return;
    const std::string out = f.dir / "jlha.lzh";
    for (auto _ : state) {
        fs::remove(out);
        runOrFail(state, "cd " + shellQuote(f.db()) + " && jlha cyq " + shellQuote(out) + f.names);
    }
    reportSize(state, f, out);
}

void TarGzip6(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    const std::string out = f.dir / "tar.gz";
    for (auto _ : state) runOrFail(state, "cd " + shellQuote(f.db()) + " && tar cf -" + f.names + " | gzip -6 > " + shellQuote(out));
    reportSize(state, f, out);
}

void OursCabPack(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    const std::string out = f.dir / "bench.cab";
    for (auto _ : state) {
        fs::remove(out);
        if (cab().run(cabPackCommand(out, f.files)).code != 0) state.SkipWithError("pack failed");
    }
    reportSize(state, f, out);
}

void GcabPack(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "gcab")) return;
    const std::string out = f.dir / "gcab.cab";
    for (auto _ : state) {
        fs::remove(out);
        runOrFail(state, "cd " + shellQuote(f.db()) + " && gcab -c -z " + shellQuote(out) + f.names);
    }
    reportSize(state, f, out);
}

// ---- extractors ----

void extractWith(benchmark::State& state, const std::function<void(const std::string&)>& run) {
    auto& f = sample(static_cast<int>(state.range(0)));
    const std::string dest = f.dir / "x";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dest);
        fs::create_directories(dest);
        state.ResumeTiming();
        run(dest + "/");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.inputBytes));
    if (folderContents(dest).size() != f.files.size()) state.SkipWithError("not every file was extracted");
}

void OursLhaExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    extractWith(state, [&](const std::string& d) {
        if (lha().run(lhaUnpackCommand(f.lzh, d)).code != 0) state.SkipWithError("extract failed");
    });
}
void LhasaExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "lhasa")) return;
    extractWith(state, [&](const std::string& d) { runOrFail(state, "lhasa -xqw=" + shellQuote(d) + " " + shellQuote(f.lzh)); });
}
void SevenZipLhaExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "7zz")) return;
    extractWith(state, [&](const std::string& d) { runOrFail(state, "7zz x -y -o" + shellQuote(d) + " " + shellQuote(f.lzh) + " >/dev/null"); });
}
void OursCabExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    extractWith(state, [&](const std::string& d) {
        if (cab().run("-x -i \"" + f.cab + "\" \"" + d + "\"").code != 0) state.SkipWithError("extract failed");
    });
}
void CabextractExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "cabextract")) return;
    extractWith(state, [&](const std::string& d) { runOrFail(state, "cabextract -q -d " + shellQuote(d) + " " + shellQuote(f.cab)); });
}
void SevenZipCabExtract(benchmark::State& state) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, "7zz")) return;
    extractWith(state, [&](const std::string& d) { runOrFail(state, "7zz x -y -o" + shellQuote(d) + " " + shellQuote(f.cab) + " >/dev/null"); });
}

// Scale 1 is the few-MB folder of the tests; scale 4 is near the 19.5 MB
// reference set. Java's jlha starts slowly: a few iterations are enough.
#define KRV_BENCH(fn, iters) BENCHMARK(fn)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iters)
KRV_BENCH(OursLhaPack, 5);
KRV_BENCH(JlhaPack, 3);
KRV_BENCH(TarGzip6, 5);
KRV_BENCH(OursCabPack, 5);
KRV_BENCH(GcabPack, 5);
KRV_BENCH(OursLhaExtract, 5);
KRV_BENCH(LhasaExtract, 5);
KRV_BENCH(SevenZipLhaExtract, 5);
KRV_BENCH(OursCabExtract, 5);
KRV_BENCH(CabextractExtract, 5);
KRV_BENCH(SevenZipCabExtract, 5);

}  // namespace
}  // namespace korvalen::archivers::test

BENCHMARK_MAIN();
