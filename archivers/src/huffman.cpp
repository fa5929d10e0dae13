#include "huffman.h"

#include <algorithm>
#include <cstdint>

namespace korvalen::archivers {
namespace {
constexpr int kMaxSymbols = 512;
}

void huffmanLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len) {
    // Called for every candidate block: fixed arrays, no allocation.
    uint64_t weight[kMaxSymbols];
    for (int i = 0; i < n; ++i) weight[i] = freq[i];
    int used = 0;
    for (int i = 0; i < n; ++i) used += weight[i] > 0;
    for (int i = 0; i < n && used < 2; ++i)
        if (weight[i] == 0) {
            // Give a spare symbol a weight so the table has two codes.
            weight[i] = 1;
            ++used;
        }
    for (;;) {
        // Leaves sorted by weight; internal nodes come out of the merge in
        // weight order too, so two queues replace a heap.
        struct Leaf {
            uint64_t w;
            int sym;
        };
        Leaf leaves[kMaxSymbols];
        int m = 0;
        for (int i = 0; i < n; ++i)
            if (weight[i] > 0) leaves[m++] = {weight[i], i};
        std::sort(leaves, leaves + m,
                  [](const Leaf& a, const Leaf& b) { return a.w < b.w || (a.w == b.w && a.sym < b.sym); });
        uint64_t nodeWeight[kMaxSymbols];
        int parent[2 * kMaxSymbols];  // leaves 0..m-1 (sorted order), internal nodes m..
        int li = 0, ni = 0, nodes = 0;
        auto take = [&]() {
            if (li < m && (ni >= nodes || leaves[li].w <= nodeWeight[ni])) return li++;
            return m + ni++;
        };
        auto weightOf = [&](int id) { return id < m ? leaves[id].w : nodeWeight[id - m]; };
        while (nodes < m - 1) {
            const int a = take();
            const int b = take();
            nodeWeight[nodes] = weightOf(a) + weightOf(b);
            parent[a] = parent[b] = m + nodes;
            ++nodes;
        }
        // The root is the last node; every parent is numbered after its children.
        int depth[2 * kMaxSymbols];
        depth[m + nodes - 1] = 0;
        for (int id = m + nodes - 2; id >= 0; --id) depth[id] = depth[parent[id]] + 1;
        int longest = 0;
        for (int i = 0; i < n; ++i) len[i] = 0;
        for (int k = 0; k < m; ++k) {
            len[leaves[k].sym] = static_cast<uint8_t>(depth[k]);
            longest = std::max(longest, depth[k]);
        }
        if (longest <= maxBits) return;
        // Too deep: flatten the weights and try again. Rare for the block
        // sizes used, and the loss against an optimal limited code is tiny.
        for (int i = 0; i < n; ++i)
            if (weight[i] > 0) weight[i] = (weight[i] + 1) / 2;
    }
}

void canonicalCodes(const uint8_t* len, int n, uint16_t* code) {
    uint16_t count[17] = {};
    for (int i = 0; i < n; ++i) ++count[len[i]];
    count[0] = 0;
    uint16_t next[18] = {};
    uint32_t c = 0;
    for (int bits = 1; bits <= 16; ++bits) {
        c = (c + count[bits - 1]) << 1;
        next[bits] = static_cast<uint16_t>(c);
    }
    for (int i = 0; i < n; ++i) code[i] = len[i] ? next[len[i]]++ : 0;
}

}  // namespace korvalen::archivers
