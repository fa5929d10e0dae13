// The -lh5- compressor: LZ77 over an 8 KiB window (matches of 3 to 256
// bytes) with per-block Huffman tables, as LHA decoders expect it.
//
// The input is cut into segments of 512 KiB that are encoded on as many
// threads as the machine has cores (up to four): a segment needs only the
// 8 KiB of input before it, and its blocks join the previous segment's at
// whatever bit those ended. The output does not depend on the thread count.
// The sink is called on the caller's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvalen::archivers {

using ByteSink = std::function<void(const uint8_t*, size_t)>;

// Search effort. The defaults are tuned on database-like files: they beat
// the size of the other LHA writers at a small share of their time.
struct Lh5Tuning {
    int maxChain = 128;        // candidates examined per position
    int goodLength = 8;        // a pending match this long quarters the lazy search
    int niceLength = 64;       // stop searching at a match this long
    int maxLazy = 128;         // no lazy search after a match this long
    int blockSymbols = 65535;  // symbols gathered before they are split into blocks
};

class Lh5Encoder {
public:
    explicit Lh5Encoder(ByteSink sink, Lh5Tuning tuning = {});
    ~Lh5Encoder();
    Lh5Encoder(const Lh5Encoder&) = delete;
    Lh5Encoder& operator=(const Lh5Encoder&) = delete;

    void write(const uint8_t* data, size_t size);
    // Encodes what is left and flushes the last bits; call once.
    void finish();
    uint64_t outputSize() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace korvalen::archivers
