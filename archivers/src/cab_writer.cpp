#include "cab_writer.h"

#include <string>

#include "arc_error.h"
#include "dos_time.h"
#include "korvalen/archiver_api.h"
#include "korvalen/base/cp932.h"
#include "mszip_encoder.h"

namespace korvalen::archivers {
namespace {

constexpr uint16_t kNameIsUtf8 = 0x80;
constexpr uint64_t kMaxFolderBytes = 0x7FFF8000;  // what 16-bit block counts of 32 KiB allow

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

struct CabName {
    std::string bytes;
    uint16_t flag = 0;
};

CabName encodeName(const std::string& storedName) {
    CabName n;
    if (auto sjis = base::Utf8ToCp932(storedName)) {
        n.bytes = *sjis;
    } else {
        n.bytes = storedName;
        n.flag = kNameIsUtf8;
    }
    // '/' is never a trail byte in CP932 or UTF-8.
    for (char& c : n.bytes)
        if (c == '/') c = '\\';
    if (n.bytes.size() > 255) throw ArcError(ARC_ERR_NAME, "ファイル名が長すぎて格納できません: " + storedName);
    return n;
}

}  // namespace

uint32_t cabChecksum(const uint8_t* data, size_t size, uint32_t seed) {
    uint32_t csum = seed;
    size_t words = size / 4;
    while (words--) {
        csum ^= uint32_t{data[0]} | (uint32_t{data[1]} << 8) | (uint32_t{data[2]} << 16) | (uint32_t{data[3]} << 24);
        data += 4;
    }
    uint32_t rest = 0;
    switch (size % 4) {
        case 3: rest |= uint32_t{*data++} << 16; [[fallthrough]];
        case 2: rest |= uint32_t{*data++} << 8; [[fallthrough]];
        case 1: rest |= uint32_t{*data++}; break;
        default: break;
    }
    return csum ^ rest;
}

CabWriter::CabWriter(OutputFile& out, Progress& progress, int level) : out_(out), progress_(progress), level_(level) {}

void CabWriter::write(const std::vector<PackItem>& items) {
    std::vector<const PackItem*> files;
    for (const auto& item : items)
        if (!item.isDirectory) files.push_back(&item);
    if (files.size() > 0xFFFF) throw ArcError(ARC_ERR_UNSUPPORTED, "CAB 書庫に格納できるファイルは 65535 個までです。");

    std::vector<uint8_t> fileTable;
    uint64_t folderBytes = 0;
    for (const PackItem* f : files) {
        const CabName name = encodeName(f->storedName);
        const DosDateTime dt = unixToDos(f->mtime);
        put32(fileTable, static_cast<uint32_t>(f->size));
        put32(fileTable, static_cast<uint32_t>(folderBytes));
        put16(fileTable, 0);  // folder 0
        put16(fileTable, dt.date);
        put16(fileTable, dt.time);
        put16(fileTable, static_cast<uint16_t>((f->dosAttributes & 0x27) | name.flag));
        fileTable.insert(fileTable.end(), name.bytes.begin(), name.bytes.end());
        fileTable.push_back(0);
        folderBytes += f->size;
        if (folderBytes > kMaxFolderBytes)
            throw ArcError(ARC_ERR_UNSUPPORTED, "CAB 書庫に格納できる合計サイズ (約 2 GiB) を超えています。");
    }

    const uint32_t filesAt = 36 + 8;
    const uint32_t dataAt = filesAt + static_cast<uint32_t>(fileTable.size());
    std::vector<uint8_t> head;
    head.insert(head.end(), {'M', 'S', 'C', 'F'});
    put32(head, 0);
    put32(head, 0);  // cbCabinet, patched at the end
    put32(head, 0);
    put32(head, filesAt);
    put32(head, 0);
    head.push_back(3);  // version 1.3
    head.push_back(1);
    put16(head, 1);  // one folder
    put16(head, static_cast<uint32_t>(files.size()));
    put16(head, 0);  // flags
    put16(head, 0);  // set ID
    put16(head, 0);  // cabinet 0 of the set
    put32(head, dataAt);
    put16(head, 0);  // block count, patched at the end
    put16(head, 1);  // MSZIP
    const uint64_t start = out_.offset();
    out_.write(head.data(), head.size());
    out_.write(fileTable.data(), fileTable.size());

    MszipEncoder encoder(level_);
    std::vector<uint8_t> block(kMszipBlock);
    size_t filled = 0;
    uint32_t blocks = 0;
    auto emit = [&]() {
        const auto& payload = encoder.encode(block.data(), filled);
        uint8_t sizes[4] = {static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8),
                            static_cast<uint8_t>(filled), static_cast<uint8_t>(filled >> 8)};
        const uint32_t csum = cabChecksum(sizes, 4, cabChecksum(payload.data(), payload.size(), 0));
        const uint8_t c[4] = {static_cast<uint8_t>(csum), static_cast<uint8_t>(csum >> 8),
                              static_cast<uint8_t>(csum >> 16), static_cast<uint8_t>(csum >> 24)};
        out_.write(c, 4);
        out_.write(sizes, 4);
        out_.write(payload.data(), payload.size());
        ++blocks;
        filled = 0;
    };

    for (const PackItem* f : files) {
        progress_.begin(f->storedName, f->size);
        InputFile in(f->sourcePath);
        uint64_t got = 0;
        for (;;) {
            const size_t n = in.read(block.data() + filled, block.size() - filled);
            if (n == 0) break;
            filled += n;
            got += n;
            if (got > f->size) break;
            progress_.advance(n);
            if (filled == block.size()) emit();
        }
        if (got != f->size)
            throw ArcError(ARC_ERR_FILE_OPEN, "書庫への格納中にファイルが変更されました: " + f->storedName);
    }
    if (filled > 0) emit();

    const uint64_t total = out_.offset() - start;
    if (total > 0xFFFFFFFFull) throw ArcError(ARC_ERR_UNSUPPORTED, "CAB 書庫が 4 GiB を超えます。");
    std::vector<uint8_t> patch;
    put32(patch, static_cast<uint32_t>(total));
    out_.patch(start + 8, patch.data(), 4);
    patch.clear();
    put16(patch, blocks);
    out_.patch(start + 36 + 4, patch.data(), 2);
}

}  // namespace korvalen::archivers
