#include "lha_writer.h"

#include "arc_error.h"
#include "crc16.h"
#include "korvalen/archiver_api.h"
#include "korvalen/base/cp932.h"

namespace korvalen::archivers {
namespace {

constexpr size_t kChunk = 1 << 18;

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}

void appendExtension(std::vector<uint8_t>& h, uint8_t type, const std::string& body) {
    // The size field before each extension counts its type byte, its body
    // and its own trailing size field.
    const size_t size = 1 + body.size() + 2;
    put16(h, h.size() - 2, static_cast<uint32_t>(size));
    h.push_back(type);
    h.insert(h.end(), body.begin(), body.end());
    h.push_back(0);
    h.push_back(0);
}

struct StoredName {
    std::string file;
    std::string folder;
};

StoredName encodeName(const std::string& storedName) {
    auto sjis = base::Utf8ToCp932(storedName);
    if (!sjis) throw ArcError(ARC_ERR_NAME, "Shift-JIS で表せない文字を含むファイル名は格納できません: " + storedName);
    const size_t slash = sjis->rfind('/');
    // '/' cannot be a trail byte in CP932, so searching the bytes is safe.
    if (slash == std::string::npos) return {*sjis, {}};
    return {sjis->substr(slash + 1), sjis->substr(0, slash)};
}

}  // namespace

std::vector<uint8_t> lhaLevel2Header(const LhaHeaderFields& f) {
    std::vector<uint8_t> h(26, 0);
    for (size_t i = 0; i < 5; ++i) h[2 + i] = static_cast<uint8_t>(f.method[i]);
    put32(h, 7, f.packedSize);
    put32(h, 11, f.originalSize);
    put32(h, 15, f.mtime);
    h[19] = 0x20;
    h[20] = 2;
    put16(h, 21, f.dataCrc);
    h[23] = kLhaOsId;

    appendExtension(h, 0x00, std::string(2, '\0'));
    const size_t crcAt = 27;
    if (!f.fileName.empty()) appendExtension(h, 0x01, f.fileName);
    if (!f.folder.empty()) {
        std::string dir = f.folder;
        for (char& c : dir)
            if (c == '/') c = '\xFF';
        dir += '\xFF';
        appendExtension(h, 0x02, dir);
    }
    // A header whose size has a low byte of 0 starts with the byte that
    // marks the end of the archive. The attribute header is dropped in that
    // case (its value is the default anyway); padding bytes instead upset
    // some readers.
    if (((h.size() + 5) & 0xFF) != 0) {
        std::string attr(2, '\0');
        attr[0] = static_cast<char>(f.attributes & 0xFF);
        attr[1] = static_cast<char>(f.attributes >> 8);
        appendExtension(h, 0x40, attr);
    }
    if (h.size() > 0xFFFF) throw ArcError(ARC_ERR_NAME, "ファイル名が長すぎて格納できません。");
    put16(h, 0, static_cast<uint32_t>(h.size()));
    put16(h, crcAt, crc16Update(0, h.data(), h.size()));
    return h;
}

LhaWriter::LhaWriter(OutputFile& out, Progress& progress, Lh5Tuning tuning)
    : out_(out), progress_(progress), tuning_(tuning) {}

void LhaWriter::add(const PackItem& item) {
    const StoredName name = encodeName(item.storedName);
    LhaHeaderFields f;
    f.mtime = item.mtime < 0 ? 0 : item.mtime > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(item.mtime);
    f.attributes = item.dosAttributes;
    progress_.begin(item.storedName, item.size);
    if (item.isDirectory) {
        f.method = "-lhd-";
        f.folder = name.folder.empty() ? name.file : name.folder + "/" + name.file;
        f.attributes = 0x10;
        const auto header = lhaLevel2Header(f);
        out_.write(header.data(), header.size());
        return;
    }
    f.fileName = name.file;
    f.folder = name.folder;

    const uint64_t headerAt = out_.offset();
    auto header = lhaLevel2Header(f);
    out_.write(header.data(), header.size());
    const uint64_t dataAt = out_.offset();

    InputFile in(item.sourcePath);
    std::vector<uint8_t> chunk(kChunk);
    uint16_t crc = 0;
    uint64_t total = 0;
    auto account = [&](size_t n) {
        crc = crc16Update(crc, chunk.data(), n);
        total += n;
        if (total > 0xFFFFFFFFull)
            throw ArcError(ARC_ERR_UNSUPPORTED, "4 GiB 以上のファイルは LHA 書庫に格納できません: " + item.storedName);
        progress_.advance(n);
    };
    {
        Lh5Encoder encoder([this](const uint8_t* p, size_t n) { out_.write(p, n); }, tuning_);
        for (size_t n; (n = in.read(chunk.data(), chunk.size())) > 0;) {
            account(n);
            encoder.write(chunk.data(), n);
        }
        encoder.finish();
    }
    uint64_t packed = out_.offset() - dataAt;
    if (packed >= total) {
        // Compression did not pay (already compressed or tiny): store.
        out_.truncate(dataAt);
        in.rewind();
        const uint64_t firstTotal = total;
        const uint16_t firstCrc = crc;
        crc = 0;
        total = 0;
        for (size_t n; (n = in.read(chunk.data(), chunk.size())) > 0;) {
            crc = crc16Update(crc, chunk.data(), n);
            total += n;
            out_.write(chunk.data(), n);
        }
        if (total != firstTotal || crc != firstCrc)
            throw ArcError(ARC_ERR_FILE_OPEN, "書庫への格納中にファイルが変更されました: " + item.storedName);
        f.method = "-lh0-";
        packed = total;
    }
    f.packedSize = static_cast<uint32_t>(packed);
    f.originalSize = static_cast<uint32_t>(total);
    f.dataCrc = crc;
    header = lhaLevel2Header(f);
    out_.patch(headerAt, header.data(), header.size());
}

void LhaWriter::finish() {
    const uint8_t endMark = 0;
    out_.write(&endMark, 1);
}

}  // namespace korvalen::archivers
