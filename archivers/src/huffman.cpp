#include "huffman.h"

#include <algorithm>
#include <queue>
#include <utility>
#include <vector>

namespace korvalen::archivers {

void huffmanLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len) {
    std::vector<uint64_t> f(freq, freq + n);
    int used = 0;
    for (int i = 0; i < n; ++i) used += f[i] > 0;
    if (used < 2) {
        // Give a spare symbol a weight so the table has two codes.
        for (int i = 0; i < n && used < 2; ++i)
            if (f[i] == 0) {
                f[i] = 1;
                ++used;
            }
    }
    for (;;) {
        using Item = std::pair<uint64_t, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> heap;
        std::vector<int> parent(2 * static_cast<size_t>(n), -1);
        int next = n;
        for (int i = 0; i < n; ++i)
            if (f[i] > 0) heap.emplace(f[i], i);
        while (heap.size() > 1) {
            const auto a = heap.top();
            heap.pop();
            const auto b = heap.top();
            heap.pop();
            parent[static_cast<size_t>(a.second)] = next;
            parent[static_cast<size_t>(b.second)] = next;
            heap.emplace(a.first + b.first, next++);
        }
        // Parents are numbered after their children, so walking down from the
        // root numbers every node's depth from its parent's.
        std::vector<int> depth(static_cast<size_t>(next), 0);
        for (int node = next - 2; node >= n; --node) depth[static_cast<size_t>(node)] = depth[static_cast<size_t>(parent[static_cast<size_t>(node)])] + 1;
        int longest = 0;
        for (int i = 0; i < n; ++i) {
            const int d = f[i] > 0 ? depth[static_cast<size_t>(parent[static_cast<size_t>(i)])] + 1 : 0;
            len[i] = static_cast<uint8_t>(d);
            longest = std::max(longest, d);
        }
        if (longest <= maxBits) return;
        // Too deep: flatten the weights and try again. Rare for the block
        // sizes used, and the loss against an optimal limited code is tiny.
        for (auto& w : f)
            if (w > 0) w = (w + 1) / 2;
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
    for (int i = 0; i < n; ++i)
        code[i] = len[i] ? next[len[i]]++ : 0;
}

}  // namespace korvalen::archivers
