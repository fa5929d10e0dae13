// libFuzzer target: any bytes as an archive for both libraries' listing,
// testing, extracting and entry walking, and as a command text.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "arc_error.h"
#include "command_line.h"
#include "entries.h"

namespace {

namespace fs = std::filesystem;
using korvalen::archivers::ArchiveFormat;
namespace ent = korvalen::archivers::entries;

const std::string& workDir() {
    // Kept for the whole run (and past the statics) so the exit handler can remove it.
    static const std::string* dir = [] {
        std::string pattern = (fs::temp_directory_path() / "krv-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        auto* d = new std::string(pattern + "/");
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(workDir(), ec);
        });
        return d;
    }();
    return *dir;
}

void exercise(ArchiveFormat f, const std::string& archive) {
    const std::string dest = workDir() + "out/";
    const bool lha = f == ArchiveFormat::Lha;
    char out[512];
    const std::string commands[] = {
        lha ? "l \"" + archive + "\"" : "-l \"" + archive + "\"",
        lha ? "t \"" + archive + "\"" : "-t \"" + archive + "\"",
        lha ? "x -jso1 -jse0 \"" + archive + "\" \"" + dest + "\"" : "-x \"" + archive + "\" \"" + dest + "\"",
        lha ? "x -x0 -jso1 -jse0 \"" + archive + "\" \"" + dest + "\" \"*.txt\""
            : "-x -j \"" + archive + "\" \"" + dest + "\" \"*\"",
    };
    for (const auto& c : commands) {
        ent::command(f, 0, c.c_str(), out, sizeof out);
        // Whatever happened, nothing may have landed outside the destination.
        for (const auto& e : fs::directory_iterator(workDir()))
            if (e.path().filename() != "in.arc" && e.path().filename() != "out") std::abort();
        std::error_code ec;
        fs::remove_all(dest, ec);
    }
    const ArcHandle h = ent::openArchive(f, 0, archive.c_str(), ARC_OPEN_PROBE);
    if (h != 0) {
        ArcEntryRecord e;
        uint64_t v;
        for (int r = ent::findFirst(h, "*", &e), n = 0; r == 0 && n < 10000; r = ent::findNext(h, &e), ++n) {
            ent::getWriteTimeEx(h, &v);
            ent::getCompressedSizeEx(h, &v);
        }
        ent::closeArchive(h);
    }
    unsigned char buf[4096];
    int64_t t;
    uint16_t attr;
    uint32_t written;
    ent::extractMem(f, 0, ("\"" + archive + "\"").c_str(), buf, sizeof buf, &t, &attr, &written);
    ent::checkArchive(f, archive.c_str(), ARC_CHECK_FULL_CRC);
    ent::getArchiveType(archive.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes as a command text: the tokenizer and switch parser.
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find('@') == std::string::npos) {
        for (bool lha : {true, false}) {
            try {
                lha ? korvalen::archivers::parseLhaCommand(text) : korvalen::archivers::parseCabCommand(text);
            } catch (const korvalen::archivers::ArcError&) {
            }
        }
    }
    const std::string archive = workDir() + "in.arc";
    FILE* f = std::fopen(archive.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    exercise(ArchiveFormat::Lha, archive);
    exercise(ArchiveFormat::Cab, archive);
    return 0;
}
