// Code lengths and canonical codes for the Huffman tables of -lh5- blocks.
#pragma once

#include <cstdint>

namespace korvalen::archivers {

// Fills len[0..n) with code lengths of at most maxBits for the given
// frequencies. At least two symbols always get a code: a table with a single
// code is a special case some decoders handle poorly, and a spare one-bit
// code costs next to nothing.
void huffmanLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len);

// Canonical codes (shorter codes first, then by symbol), the assignment
// both LHA and deflate decoders rebuild from the lengths alone.
void canonicalCodes(const uint8_t* len, int n, uint16_t* code);

}  // namespace korvalen::archivers
