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

// One of our libraries packing the sample with the backup's command text.
void OursPack(benchmark::State& state, bool lhaFormat) {
    auto& f = sample(static_cast<int>(state.range(0)));
    const std::string out = f.dir / (lhaFormat ? "bench.lzh" : "bench.cab");
    for (auto _ : state) {
        fs::remove(out);
        const auto r = lhaFormat ? lha().run(lhaPackCommand(out, f.files)) : cab().run(cabPackCommand(out, f.files));
        if (r.code != 0) state.SkipWithError("pack failed");
    }
    reportSize(state, f, out);
}

// A peer writer run in the sample folder: "{OUT}" is the archive, the
// sample's file names follow the command.
void PeerPack(benchmark::State& state, const char* tool, const char* command, const char* archiveName) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, tool)) return;
    const std::string out = f.dir / archiveName;
    std::string cmd = command;
    cmd.replace(cmd.find("{OUT}"), 5, shellQuote(out));
    cmd.replace(cmd.find("{NAMES}"), 7, f.names);
    for (auto _ : state) {
        fs::remove(out);
        runOrFail(state, "cd " + shellQuote(f.db()) + " && " + cmd);
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

void OursExtract(benchmark::State& state, bool lhaFormat) {
    auto& f = sample(static_cast<int>(state.range(0)));
    extractWith(state, [&](const std::string& d) {
        const auto r =
            lhaFormat ? lha().run(lhaUnpackCommand(f.lzh, d)) : cab().run("-x -i \"" + f.cab + "\" \"" + d + "\"");
        if (r.code != 0) state.SkipWithError("extract failed");
    });
}

// A peer extractor: "{DIR}" is the destination, "{ARC}" our archive.
void PeerExtract(benchmark::State& state, const char* tool, const char* command, bool lhaFormat) {
    auto& f = sample(static_cast<int>(state.range(0)));
    if (!needTool(state, tool)) return;
    extractWith(state, [&](const std::string& d) {
        std::string cmd = command;
        cmd.replace(cmd.find("{DIR}"), 5, shellQuote(d));
        cmd.replace(cmd.find("{ARC}"), 5, shellQuote(lhaFormat ? f.lzh : f.cab));
        runOrFail(state, cmd);
    });
}

// Scale 1 is the few-MB folder of the tests; scale 4 is near the 19.5 MB
// reference set. Java's jlha starts slowly: a few iterations are enough.
#define KRV_BENCH_CAPTURE(fn, name, iters, ...) \
    BENCHMARK_CAPTURE(fn, name, __VA_ARGS__)    \
        ->Arg(1)                                \
        ->Arg(4)                                \
        ->Unit(benchmark::kMillisecond)         \
        ->UseRealTime()                         \
        ->Iterations(iters)
KRV_BENCH_CAPTURE(OursPack, OursLha, 5, true);
KRV_BENCH_CAPTURE(PeerPack, JlhaLh5, 3, "jlha", "jlha cyq {OUT}{NAMES}", "jlha.lzh");
KRV_BENCH_CAPTURE(PeerPack, TarGzip6, 5, "gzip", "tar cf -{NAMES} | gzip -6 > {OUT}", "tar.gz");
KRV_BENCH_CAPTURE(OursPack, OursCab, 5, false);
KRV_BENCH_CAPTURE(PeerPack, GcabMszip, 5, "gcab", "gcab -c -z {OUT}{NAMES}", "gcab.cab");
KRV_BENCH_CAPTURE(OursExtract, OursLha, 5, true);
KRV_BENCH_CAPTURE(PeerExtract, Lhasa, 5, "lhasa", "lhasa -xqw={DIR} {ARC}", true);
KRV_BENCH_CAPTURE(PeerExtract, SevenZipLha, 5, "7zz", "7zz x -y -o{DIR} {ARC} >/dev/null", true);
KRV_BENCH_CAPTURE(OursExtract, OursCab, 5, false);
KRV_BENCH_CAPTURE(PeerExtract, Cabextract, 5, "cabextract", "cabextract -q -d {DIR} {ARC}", false);
KRV_BENCH_CAPTURE(PeerExtract, SevenZipCab, 5, "7zz", "7zz x -y -o{DIR} {ARC} >/dev/null", false);

}  // namespace
}  // namespace korvalen::archivers::test

BENCHMARK_MAIN();
