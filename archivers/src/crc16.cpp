#include "crc16.h"

#include <array>

namespace korvalen::archivers {
namespace {

// Eight tables let the loop fold eight bytes per step: the whole member
// passes through here, so byte-at-a-time would cost a noticeable share of
// the packing time.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables makeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t c = static_cast<uint16_t>(i);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
        t[0][i] = c;
    }
    for (unsigned i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = makeTables();

}  // namespace

uint16_t crc16Update(uint16_t crc, const uint8_t* data, size_t size) {
    while (size >= 8) {
        const uint16_t lo = static_cast<uint16_t>(crc ^ (data[0] | (data[1] << 8)));
        crc = static_cast<uint16_t>(kTables[7][lo & 0xFF] ^ kTables[6][lo >> 8] ^ kTables[5][data[2]] ^
                                    kTables[4][data[3]] ^ kTables[3][data[4]] ^ kTables[2][data[5]] ^
                                    kTables[1][data[6]] ^ kTables[0][data[7]]);
        data += 8;
        size -= 8;
    }
    while (size--) crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF]);
    return crc;
}

}  // namespace korvalen::archivers
