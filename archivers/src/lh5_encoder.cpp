#include "lh5_encoder.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <thread>
#include <vector>

#include "huffman.h"

namespace korvalen::archivers {
namespace {

constexpr uint32_t kWindow = 8192;  // longest distance -lh5- can express
constexpr uint32_t kMaxMatch = 256;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kTooFar = 4096;  // a 3-byte match further back costs more than three literals
constexpr size_t kBufSize = size_t{1} << 17;
constexpr size_t kSegment = size_t{1} << 19;  // input encoded as one independent piece
constexpr size_t kSlack = 16;                 // word-wise compares may look a few bytes past the data
constexpr int kHashBits = 15;
constexpr uint32_t kPrevSize = 2 * kWindow;  // twice the window: no live chain entry is ever overwritten

constexpr int NC = 256 + kMaxMatch - kMinMatch + 1;  // 510: literals and match lengths
constexpr int NT = 19;                               // code-length alphabet
constexpr int NP = 14;                               // distance bit lengths 0..13
constexpr int CBIT = 9, TBIT = 5, PBIT = 4;
constexpr int kMaxCodeBits = 16;

// Bits, most significant first, gathered in memory: a segment's output is
// joined to the previous segment's at whatever bit the latter ended.
class BitWriter {
public:
    void put(int n, uint32_t v) {
        acc_ = (acc_ << n) | (v & ((1u << n) - 1));
        bits_ += n;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<uint8_t>(acc_ >> bits_));
        }
    }
    // The bytes, the last one holding tailBits bits at its top (0: all 8).
    std::vector<uint8_t> take(int& tailBits) {
        tailBits = bits_;
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_ << (8 - bits_)));
        bits_ = 0;
        return std::move(out_);
    }

private:
    std::vector<uint8_t> out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

inline uint32_t hash3(const uint8_t* p) {
    const uint32_t v = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

inline uint32_t matchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

inline int bitLength(uint32_t v) { return v == 0 ? 0 : 32 - __builtin_clz(v); }

// Encodes one segment of the input, knowing the window of data before it.
// Segments are independent of each other's output, so they can be encoded
// at the same time; their blocks simply follow one another.
struct SegmentCoder {
    explicit SegmentCoder(Lh5Tuning t) : tuning(t) {
        buf.assign(kBufSize + kSlack, 0);
        head.assign(size_t{1} << kHashBits, 0);
        prev.assign(kPrevSize, 0);
        symbols.reserve(static_cast<size_t>(tuning.blockSymbols));
    }

    Lh5Tuning tuning;
    BitWriter bits;
    std::vector<uint8_t> buf;
    std::vector<uint32_t> head;  // absolute position + 1 of the newest string with this hash
    std::vector<uint32_t> prev;  // the one before it, by absolute position
    uint64_t base = 0;           // absolute position of buf[0]
    size_t pos = 0;              // next position to encode
    size_t end = 0;              // end of the data in buf
    bool matchAvailable = false;
    uint32_t prevLen = kMinMatch - 1;
    uint32_t prevDist = 0;

    // Symbols of the current block: a literal, or (length code) | (distance - 1) << 16.
    std::vector<uint32_t> symbols;

    void insert(size_t i) {
        if (i + kMinMatch > end) return;
        const uint32_t abs = static_cast<uint32_t>(base + i);
        const uint32_t h = hash3(&buf[i]);
        prev[abs & (kPrevSize - 1)] = head[h];
        head[h] = abs + 1;
    }

    uint32_t longestMatch(size_t at, uint32_t cand, uint32_t best, uint32_t& bestDist) const {
        const uint32_t abs = static_cast<uint32_t>(base + at);
        const uint32_t limit = static_cast<uint32_t>(std::min<size_t>(end - at, kMaxMatch));
        if (best >= limit) return best;
        int chain = tuning.maxChain;
        // After a good match the lazy look one byte on rarely wins: search less.
        if (prevLen >= static_cast<uint32_t>(tuning.goodLength)) chain >>= 2;
        const uint8_t* cur = &buf[at];
        const uint32_t nice = std::min<uint32_t>(static_cast<uint32_t>(tuning.niceLength), limit);
        while (cand != 0 && chain-- > 0) {
            const uint32_t c = cand - 1;
            const uint32_t dist = abs - c;
            if (dist > kWindow) break;
            const uint8_t* m = &buf[c - base];
            if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
                const uint32_t len = matchLength(cur, m, limit);
                if (len > best) {
                    best = len;
                    bestDist = dist;
                    if (len >= nice) break;
                }
            }
            cand = prev[c & (kPrevSize - 1)];
        }
        return best;
    }

    void literal(uint8_t c) {
        symbols.push_back(c);
        if (symbols.size() >= static_cast<size_t>(tuning.blockSymbols)) encodeBlock();
    }

    void match(uint32_t len, uint32_t dist) {
        const uint32_t code = len - kMinMatch + 256;
        symbols.push_back(code | ((dist - 1) << 16));
        if (symbols.size() >= static_cast<size_t>(tuning.blockSymbols)) encodeBlock();
    }

    // Lazy matching: a match is taken only if the next position does not
    // start a longer one.
    void process(bool flushing) {
        for (;;) {
            const size_t avail = end - pos;
            if (avail == 0 || (!flushing && avail <= kMaxMatch)) break;
            uint32_t curLen = kMinMatch - 1;
            uint32_t curDist = 0;
            if (avail >= kMinMatch) {
                const uint32_t abs = static_cast<uint32_t>(base + pos);
                const uint32_t h = hash3(&buf[pos]);
                const uint32_t cand = head[h];
                prev[abs & (kPrevSize - 1)] = cand;
                head[h] = abs + 1;
                if (cand != 0 && prevLen < static_cast<uint32_t>(tuning.maxLazy)) {
                    curLen = longestMatch(pos, cand, kMinMatch - 1, curDist);
                    if (curLen == kMinMatch && curDist > kTooFar) curLen = kMinMatch - 1;
                }
            }
            if (prevLen >= kMinMatch && curLen <= prevLen) {
                match(prevLen, prevDist);
                const size_t stop = pos - 1 + prevLen;
                for (size_t i = pos + 1; i < stop; ++i) insert(i);
                pos = stop;
                matchAvailable = false;
                prevLen = kMinMatch - 1;
            } else if (matchAvailable) {
                literal(buf[pos - 1]);
                prevLen = curLen;
                prevDist = curDist;
                ++pos;
            } else {
                matchAvailable = true;
                prevLen = curLen;
                prevDist = curDist;
                ++pos;
            }
        }
        if (flushing && matchAvailable) {
            literal(buf[pos - 1]);
            matchAvailable = false;
        }
    }

    void slide() {
        // Keep one window of history and the byte a pending lazy literal needs.
        const size_t keep = std::min<size_t>(pos, kWindow + 1);
        const size_t from = pos - keep;
        std::memmove(buf.data(), buf.data() + from, end - from);
        base += from;
        pos -= from;
        end -= from;
    }

    void write(const uint8_t* data, size_t size) {
        while (size > 0) {
            if (end == kBufSize) slide();
            const size_t n = std::min(size, kBufSize - end);
            std::memcpy(&buf[end], data, n);
            end += n;
            data += n;
            size -= n;
            process(false);
        }
    }

    // Code lengths of the T table: written as 3 bits, 7 and up extended by
    // a unary count; after the third entry a 2-bit run of zeros (special).
    void writePtLen(const uint8_t* len, int n, int nbit, int special) {
        while (n > 0 && len[n - 1] == 0) --n;
        bits.put(nbit, static_cast<uint32_t>(n));
        int i = 0;
        while (i < n) {
            const int k = len[i++];
            if (k <= 6)
                bits.put(3, static_cast<uint32_t>(k));
            else
                bits.put(k - 3, (1u << (k - 3)) - 2);
            if (i == special) {
                while (i < 6 && len[i] == 0) ++i;
                bits.put(2, static_cast<uint32_t>((i - 3) & 3));
            }
        }
    }

    // Walks the C lengths the way they are written: runs of zeros become
    // T symbols 0..2, a length k becomes T symbol k + 2.
    template <typename Emit>
    static void walkCLen(const uint8_t* cLen, Emit&& emit) {
        int n = NC;
        while (n > 0 && cLen[n - 1] == 0) --n;
        int i = 0;
        while (i < n) {
            const int k = cLen[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) {
                    for (int j = 0; j < count; ++j) emit(0, 0, 0);
                } else if (count <= 18) {
                    emit(1, 4, count - 3);
                } else if (count == 19) {
                    emit(0, 0, 0);
                    emit(1, 4, 15);
                } else {
                    emit(2, CBIT, count - 20);
                }
            } else {
                emit(k + 2, 0, 0);
            }
        }
    }

    // The tables of one block, and what the block would cost in bits.
    struct BlockPlan {
        uint8_t cLen[NC], tLen[NT], pLen[NP];
        uint16_t cCode[NC], tCode[NT], pCode[NP];
        uint64_t bits = 0;
    };

    static uint64_t ptLenBits(const uint8_t* len, int n, int nbit, int special) {
        while (n > 0 && len[n - 1] == 0) --n;
        uint64_t b = static_cast<uint64_t>(nbit);
        int i = 0;
        while (i < n) {
            const int k = len[i++];
            b += k <= 6 ? 3 : static_cast<uint64_t>(k - 3);
            if (i == special) {
                while (i < 6 && len[i] == 0) ++i;
                b += 2;
            }
        }
        return b;
    }

    static void plan(const uint32_t* syms, size_t count, BlockPlan& bp) {
        uint32_t cFreq[NC] = {};
        uint32_t pFreq[NP] = {};
        uint64_t extra = 0;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t c = syms[i] & 0xFFFF;
            ++cFreq[c];
            if (c >= 256) {
                const int p = bitLength(syms[i] >> 16);
                ++pFreq[p];
                if (p > 1) extra += static_cast<uint64_t>(p - 1);
            }
        }
        huffmanLengths(cFreq, NC, kMaxCodeBits, bp.cLen);
        canonicalCodes(bp.cLen, NC, bp.cCode);
        uint32_t tFreq[NT] = {};
        uint64_t cLenBits = CBIT;
        walkCLen(bp.cLen, [&](int t, int extraBits, int) {
            ++tFreq[t];
            cLenBits += static_cast<uint64_t>(extraBits);
        });
        huffmanLengths(tFreq, NT, kMaxCodeBits, bp.tLen);
        canonicalCodes(bp.tLen, NT, bp.tCode);
        huffmanLengths(pFreq, NP, kMaxCodeBits, bp.pLen);
        canonicalCodes(bp.pLen, NP, bp.pCode);
        uint64_t b = 16 + extra + cLenBits + ptLenBits(bp.tLen, NT, TBIT, 3) + ptLenBits(bp.pLen, NP, PBIT, -1);
        for (int t = 0; t < NT; ++t) b += uint64_t{tFreq[t]} * bp.tLen[t];
        for (int c = 0; c < NC; ++c) b += uint64_t{cFreq[c]} * bp.cLen[c];
        for (int p = 0; p < NP; ++p) b += uint64_t{pFreq[p]} * bp.pLen[p];
        bp.bits = b;
    }

    void emitBlock(const uint32_t* syms, size_t count, const BlockPlan& bp) {
        bits.put(16, static_cast<uint32_t>(count));
        writePtLen(bp.tLen, NT, TBIT, 3);
        int n = NC;
        while (n > 0 && bp.cLen[n - 1] == 0) --n;
        bits.put(CBIT, static_cast<uint32_t>(n));
        walkCLen(bp.cLen, [&](int t, int extraBits, int extra) {
            bits.put(bp.tLen[t], bp.tCode[t]);
            if (extraBits) bits.put(extraBits, static_cast<uint32_t>(extra));
        });
        writePtLen(bp.pLen, NP, PBIT, -1);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t s = syms[i];
            const uint32_t c = s & 0xFFFF;
            bits.put(bp.cLen[c], bp.cCode[c]);
            if (c >= 256) {
                const uint32_t d = s >> 16;
                const int p = bitLength(d);
                bits.put(bp.pLen[p], bp.pCode[p]);
                if (p > 1) bits.put(p - 1, d);
            }
        }
    }

    // Splits a run of symbols in halves for as long as separate tables pay
    // for themselves: data whose statistics shift (a table file's pages of
    // rows, then of index entries) gets tables that fit each part.
    void encodeSegment(const uint32_t* syms, size_t count, const BlockPlan& whole) {
        constexpr size_t kMinSplit = 2048;
        if (count >= 2 * kMinSplit) {
            const size_t half = count / 2;
            auto left = std::make_unique<BlockPlan>();
            auto right = std::make_unique<BlockPlan>();
            plan(syms, half, *left);
            plan(syms + half, count - half, *right);
            if (left->bits + right->bits < whole.bits) {
                encodeSegment(syms, half, *left);
                encodeSegment(syms + half, count - half, *right);
                return;
            }
        }
        emitBlock(syms, count, whole);
    }

    void encodeBlock() {
        if (symbols.empty()) return;
        auto whole = std::make_unique<BlockPlan>();
        plan(symbols.data(), symbols.size(), *whole);
        encodeSegment(symbols.data(), symbols.size(), *whole);
        symbols.clear();
    }

    // Takes the window before the segment as history: its strings go into
    // the chains, nothing is emitted for it.
    void prime(const uint8_t* history, size_t size) {
        if (size > 0) std::memcpy(buf.data(), history, size);
        end = size;
        for (size_t i = 0; i + kMinMatch <= size; ++i) insert(i);
        pos = size;
    }

    std::vector<uint8_t> finish(int& tailBits) {
        process(true);
        encodeBlock();
        return bits.take(tailBits);
    }
};

struct SegmentOutput {
    std::vector<uint8_t> bytes;
    int tailBits = 0;
};

SegmentOutput encodeSegment(Lh5Tuning tuning, std::vector<uint8_t> history, std::vector<uint8_t> data) {
    SegmentCoder coder(tuning);
    coder.prime(history.data(), history.size());
    coder.write(data.data(), data.size());
    SegmentOutput out;
    out.bytes = coder.finish(out.tailBits);
    return out;
}

}  // namespace

struct Lh5Encoder::State {
    State(ByteSink s, Lh5Tuning t) : sink(std::move(s)), tuning(t) {
        const unsigned cores = std::thread::hardware_concurrency();
        inFlight = std::clamp<size_t>(cores, 1, 4);
        segment.reserve(kSegment);
    }

    ByteSink sink;
    Lh5Tuning tuning;
    size_t inFlight;
    std::vector<uint8_t> segment;
    std::vector<uint8_t> history;  // the window before the current segment
    // Segments being encoded, oldest first. A future from std::async waits
    // for its task when destroyed, so an abandoned encoder never leaves one running.
    std::deque<std::future<SegmentOutput>> running;
    // Bits of the output not yet making a whole byte.
    uint32_t acc = 0;
    int accBits = 0;
    uint64_t total = 0;
    std::vector<uint8_t> joined;

    void write(const uint8_t* data, size_t size) {
        while (size > 0) {
            const size_t n = std::min(size, kSegment - segment.size());
            segment.insert(segment.end(), data, data + n);
            data += n;
            size -= n;
            if (segment.size() == kSegment) submit();
        }
    }

    void submit() {
        std::vector<uint8_t> next;
        const size_t keep = std::min<size_t>(segment.size(), kWindow);
        std::vector<uint8_t> nextHistory(segment.end() - static_cast<std::ptrdiff_t>(keep), segment.end());
        if (inFlight > 1)
            running.push_back(
                std::async(std::launch::async, encodeSegment, tuning, std::move(history), std::move(segment)));
        else
            running.push_back(
                std::async(std::launch::deferred, encodeSegment, tuning, std::move(history), std::move(segment)));
        history = std::move(nextHistory);
        segment = std::move(next);
        segment.reserve(kSegment);
        while (running.size() >= inFlight) collect();
    }

    // Appends the oldest finished segment's bits to the output.
    void collect() {
        SegmentOutput out = running.front().get();
        running.pop_front();
        const size_t whole = out.tailBits ? out.bytes.size() - 1 : out.bytes.size();
        if (accBits == 0) {
            emit(out.bytes.data(), whole);
        } else {
            joined.resize(whole);
            for (size_t i = 0; i < whole; ++i) {
                acc = (acc << 8) | out.bytes[i];
                joined[i] = static_cast<uint8_t>(acc >> accBits);
            }
            acc &= (1u << accBits) - 1;
            emit(joined.data(), whole);
        }
        if (out.tailBits) {
            acc = (acc << out.tailBits) | (out.bytes.back() >> (8 - out.tailBits));
            accBits += out.tailBits;
            if (accBits >= 8) {
                accBits -= 8;
                const uint8_t b = static_cast<uint8_t>(acc >> accBits);
                emit(&b, 1);
                acc &= (1u << accBits) - 1;
            }
        }
    }

    void emit(const uint8_t* p, size_t n) {
        if (n == 0) return;
        sink(p, n);
        total += n;
    }

    void finish() {
        if (!segment.empty()) submit();
        while (!running.empty()) collect();
        if (accBits > 0) {
            const uint8_t b = static_cast<uint8_t>(acc << (8 - accBits));
            accBits = 0;
            emit(&b, 1);
        }
    }
};

Lh5Encoder::Lh5Encoder(ByteSink sink, Lh5Tuning tuning) : s_(std::make_unique<State>(std::move(sink), tuning)) {}
Lh5Encoder::~Lh5Encoder() = default;
void Lh5Encoder::write(const uint8_t* data, size_t size) { s_->write(data, size); }
void Lh5Encoder::finish() { s_->finish(); }
uint64_t Lh5Encoder::outputSize() const { return s_->total; }

}  // namespace korvalen::archivers
