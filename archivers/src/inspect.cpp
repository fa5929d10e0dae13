#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "arc_error.h"
#include "dos_time.h"
#include "korvalen/archiver_api.h"
#include "operations.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

constexpr size_t kChunk = 1 << 16;

}  // namespace

void listArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log) {
    ArchiveReader reader(cl.archive, format);
    progress.opened();
    MemberInfo m;
    uint64_t files = 0, original = 0, packed = 0;
    log.line("    サイズ    圧縮後  方式    日時              名前");
    while (reader.next(m)) {
        if (!nameSelected(cl.names, m.name)) continue;
        time_t t = static_cast<time_t>(m.mtime);
        std::tm tm{};
        localtime_r(&t, &tm);
        char line[96];
        std::snprintf(line, sizeof line, "%10" PRId64 " %9" PRIu64 "  %-6s  %04d-%02d-%02d %02d:%02d  ", m.size,
                      m.packedSize, m.method.c_str(), tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                      tm.tm_min);
        log.line(line + m.name + (m.kind == MemberInfo::Kind::Folder ? "/" : ""));
        ++files;
        original += static_cast<uint64_t>(m.size);
        packed += m.packedSize;
    }
    char total[96];
    std::snprintf(total, sizeof total, "%10" PRIu64 " %9" PRIu64 "  %" PRIu64 " 個", original, packed, files);
    log.line(total);
}

void testArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log) {
    ArchiveReader reader(cl.archive, format);
    progress.opened();
    MemberInfo m;
    std::vector<uint8_t> chunk(kChunk);
    while (reader.next(m)) {
        if (!nameSelected(cl.names, m.name)) continue;
        progress.begin(m.name, static_cast<uint64_t>(m.size));
        uint64_t total = 0;
        for (size_t n; (n = reader.read(chunk.data(), chunk.size())) > 0;) {
            total += n;
            progress.advance(n);
        }
        if (m.size > 0 && total != static_cast<uint64_t>(m.size))
            throw ArcError(ARC_ERR_BROKEN, "メンバーのデータが足りません: " + m.name);
        log.line("正常: " + m.name);
    }
    log.line("書庫は正常です: " + cl.archive);
}

void extractToMemory(ArchiveFormat format, const CommandLine& cl, uint8_t* buffer, uint32_t size,
                     MemoryResult& result) {
    ArchiveReader reader(cl.archive, format);
    MemberInfo m;
    while (reader.next(m)) {
        if (m.kind != MemberInfo::Kind::File || !nameSelected(cl.names, m.name)) continue;
        result = MemoryResult{};
        result.mtime = m.mtime;
        result.attributes = static_cast<uint16_t>(0x20 | (m.readOnly ? 0x01 : 0));
        std::vector<uint8_t> chunk(kChunk);
        for (size_t n; (n = reader.read(chunk.data(), chunk.size())) > 0;) {
            const size_t room = size - result.written;
            const size_t take = std::min(room, n);
            // The buffer may be null when its size is 0, and memcpy takes no null even for nothing.
            if (take > 0) std::memcpy(buffer + result.written, chunk.data(), take);
            result.written += static_cast<uint32_t>(take);
            if (n > room) throw ArcError(ARC_ERR_BUFFER, "バッファに収まりません: " + m.name);
        }
        return;
    }
    throw ArcError(ARC_ERR_NO_FILES, "指定された名前のメンバーがありません。");
}

}  // namespace korvalen::archivers
