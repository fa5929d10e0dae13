// CRC-16/ARC (reflected polynomial 0xA001, initial value 0), the checksum
// LHA keeps for member data and for level-2 headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvalen::archivers {

uint16_t crc16Update(uint16_t crc, const uint8_t* data, size_t size);

}  // namespace korvalen::archivers
