#include "mszip_encoder.h"

#include <zlib.h>

#include <cstring>

#include "arc_error.h"
#include "korvalen/archiver_api.h"

namespace korvalen::archivers {

// One deflate stream runs through the whole folder, so its window already
// holds the previous blocks (no preset dictionary to hash again per block).
// Each block is closed with Z_BLOCK and then an empty final block with fixed
// codes is inserted by hand (10 bits: BFINAL=1, BTYPE=01, end-of-block),
// padded to a byte: the block then ends as MSZIP requires while the stream
// goes on.
struct MszipEncoder::State {
    z_stream z{};
    std::vector<uint8_t> out;

    explicit State(int level) {
        if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw ArcError(ARC_ERR_MEMORY, "圧縮の準備に失敗しました。");
        out.resize(kMszipBlock + 4096);
    }
    ~State() { deflateEnd(&z); }

    void fail() const { throw ArcError(ARC_ERR_MEMORY, "圧縮に失敗しました。"); }

    const std::vector<uint8_t>& encode(const uint8_t* data, size_t size) {
        out.resize(kMszipBlock + 4096);
        out[0] = 'C';
        out[1] = 'K';
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = static_cast<uInt>(size);
        z.next_out = out.data() + 2;
        z.avail_out = static_cast<uInt>(out.size() - 2);
        if (deflate(&z, Z_BLOCK) != Z_OK || z.avail_in != 0 || z.avail_out == 0) fail();
        unsigned pendingBytes = 0;
        int pendingBits = 0;
        if (deflatePending(&z, &pendingBytes, &pendingBits) != Z_OK || pendingBytes != 0) fail();
        if (deflatePrime(&z, 10, 3) != Z_OK) fail();
        const int pad = (8 - (pendingBits + 10) % 8) % 8;
        if (pad > 0 && deflatePrime(&z, pad, 0) != Z_OK) fail();
        // Push the primed bits out now, so the next block starts clean.
        const int r = deflate(&z, Z_BLOCK);
        if (r != Z_OK && r != Z_BUF_ERROR) fail();
        if (deflatePending(&z, &pendingBytes, &pendingBits) != Z_OK || pendingBytes != 0 || pendingBits != 0) fail();
        size_t used = out.size() - z.avail_out;
        if (used > kMszipMaxPayload) {
            // Data that does not compress: one stored final block instead.
            // The stream's window already holds these bytes, exactly what the
            // decoder's history will hold, so the next block is unaffected.
            out[2] = 0x01;
            out[3] = static_cast<uint8_t>(size);
            out[4] = static_cast<uint8_t>(size >> 8);
            out[5] = static_cast<uint8_t>(~size);
            out[6] = static_cast<uint8_t>(~size >> 8);
            std::memcpy(out.data() + 7, data, size);
            used = 7 + size;
        }
        out.resize(used);
        return out;
    }
};

MszipEncoder::MszipEncoder(int level) : s_(std::make_unique<State>(level)) {}
MszipEncoder::~MszipEncoder() = default;
const std::vector<uint8_t>& MszipEncoder::encode(const uint8_t* data, size_t size) { return s_->encode(data, size); }

}  // namespace korvalen::archivers
