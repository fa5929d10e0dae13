// MSZIP: each 32 KiB block of a Cabinet folder is "CK" followed by a deflate
// stream ending in a final block. Decoders keep the last 32 KiB across
// blocks, so matches here reach back into earlier blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvalen::archivers {

constexpr size_t kMszipBlock = 32768;
// The largest CFDATA payload readers are built for.
constexpr size_t kMszipMaxPayload = kMszipBlock + 12;

class MszipEncoder {
public:
    explicit MszipEncoder(int level = 6);
    ~MszipEncoder();
    MszipEncoder(const MszipEncoder&) = delete;
    MszipEncoder& operator=(const MszipEncoder&) = delete;

    // The payload for the next block of at most kMszipBlock bytes; valid
    // until the next call.
    const std::vector<uint8_t>& encode(const uint8_t* data, size_t size);

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace korvalen::archivers
