// The pieces of the archiver core: checksums, command texts, name safety,
// and the -lh5- and MSZIP encoders read back through libarchive.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iconv.h>

#include <cstring>
#include <functional>
#include <random>

#include "arc_error.h"
#include "archive_reader.h"
#include "cab_writer.h"
#include "command_line.h"
#include "crc16.h"
#include "korvalen/base/cp932.h"
#include "lha_writer.h"
#include "mszip_encoder.h"
#include "output_text.h"
#include "safe_path.h"
#include "test_support.h"

namespace korvalen::archivers {
namespace {

using test::TempDir;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

int codeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ArcError& e) {
        return e.code();
    }
    return ARC_OK;
}

TEST(Crc16, MatchesTheCheckValueInAnySplit) {
    const std::string s = "123456789";
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    EXPECT_EQ(crc16Update(0, p, s.size()), 0xBB3D);
    // The eight-byte path and the byte tail must agree wherever the data is cut.
    std::string long_(1000, '\0');
    for (size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<char>(i * 7 + 3);
    const auto* q = reinterpret_cast<const uint8_t*>(long_.data());
    const uint16_t whole = crc16Update(0, q, long_.size());
    for (size_t cut : {1u, 7u, 8u, 9u, 333u})
        EXPECT_EQ(crc16Update(crc16Update(0, q, cut), q + cut, long_.size() - cut), whole) << cut;
}

TEST(CabChecksum, PacksLeftoverBytesFirstByteHighest) {
    const uint8_t b[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(cabChecksum(b, 0, 0x1234), 0x1234u);
    EXPECT_EQ(cabChecksum(b, 3, 0), 0x010203u);
    EXPECT_EQ(cabChecksum(b, 7, 0), 0x04030201u ^ 0x050607u);
}

// libarchive reads Shift-JIS member names through iconv's CP932; names must
// read as base::Cp932ToUtf8 reads them (and writes them), byte for byte.
TEST(Cp932, IconvReadsEveryNameAsTheSharedModuleDoes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    auto viaIconv = [cd](std::string in) -> std::optional<std::string> {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char out[16];
        char* inPtr = in.data();
        char* outPtr = out;
        size_t inLeft = in.size(), outLeft = sizeof out;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
        return std::string(out, sizeof out - outLeft);
    };
    int readable = 0;
    for (int lead = 0x00; lead <= 0xFF; ++lead) {
        for (int trail = -1; trail <= 0xFF; ++trail) {
            // "あ" before a single byte, so that no run of ASCII is taken on its own.
            const std::string bytes = trail < 0 ? std::string("\x82\xA0") + static_cast<char>(lead)
                                                : std::string{static_cast<char>(lead), static_cast<char>(trail)};
            const auto ours = base::Cp932ToUtf8(bytes);
            ASSERT_EQ(ours, viaIconv(bytes)) << std::hex << lead << " " << trail;
            readable += ours.has_value();
        }
    }
    iconv_close(cd);
    EXPECT_GT(readable, 17000);
}

TEST(CommandText, ParsesTheCallsOfBackupAndRestore) {
    const CommandLine pack =
        parseLhaCommand("u -+ -c0 -m0 -n1 -p1 -jso1  \"/b/BAK 1.LZH\" \"/d/SinseiT13.dat\" \"/d/債権者.dat\" ");
    EXPECT_EQ(pack.command, "u");
    EXPECT_EQ(pack.switches, (std::map<std::string, int>{{"c", 0}, {"m", 0}, {"n", 1}, {"p", 1}, {"jso", 1}}));
    EXPECT_EQ(pack.archive, "/b/BAK 1.LZH");
    EXPECT_EQ(pack.folder, "");
    EXPECT_THAT(pack.names, ElementsAre("/d/SinseiT13.dat", "/d/債権者.dat"));

    const CommandLine unpack = parseLhaCommand("x -+ -c1 -m1 -n1 -x0 -jse0 -jso1  \"/b/A.LZH\" \"/d/db/\" ");
    EXPECT_EQ(unpack.command, "x");
    EXPECT_EQ(unpack.value("x", 1), 0);
    EXPECT_EQ(unpack.value("jse", -1), 0);
    EXPECT_EQ(unpack.folder, "/d/db/");
    EXPECT_TRUE(unpack.names.empty());

    const CommandLine cab = parseCabCommand("-a -i  \"/b/A.CAB\" \"/d/x.dat\" ");
    EXPECT_EQ(cab.command, "a");
    EXPECT_EQ(cab.value("i", 0), 1);
    EXPECT_THAT(cab.names, ElementsAre("/d/x.dat"));
}

TEST(CommandText, ReadsResponseFiles) {
    TempDir dir;
    test::writeFile(dir / "list.txt", "\"/d/a b.dat\"\r\n\"/d/c.dat\"\r\n");
    const CommandLine cl = parseLhaCommand("u -jso1 \"/b/A.LZH\" @\"" + (dir / "list.txt") + "\"");
    EXPECT_THAT(cl.names, ElementsAre("/d/a b.dat", "/d/c.dat"));
    EXPECT_EQ(codeOf([&] { parseLhaCommand("u \"a.lzh\" @" + (dir / "missing.txt")); }), ARC_ERR_FILE_OPEN);
}

TEST(CommandText, RefusesWhatItCannotHonour) {
    struct Case {
        const char* text;
        bool lha;
    };
    const Case cases[] = {
        {"", true},
        {"z \"a.lzh\"", true},           // unknown command
        {"u -w/tmp \"a.lzh\" f", true},  // switch this library does not act on
        {"u -c1x \"a.lzh\" f", true},    // value that is not a number
        {"u -jso1", true},               // no archive
        {"u \"a.lzh f", true},           // unclosed quote
        {"-r -a \"a.cab\" f", false},    // command must come first
        {"-a -r \"a.cab\" f", false},    // recursion is not offered
    };
    for (const auto& c : cases)
        EXPECT_EQ(codeOf([&] { c.lha ? parseLhaCommand(c.text) : parseCabCommand(c.text); }), ARC_ERR_BAD_COMMAND)
            << c.text;
}

TEST(SafePath, AcceptsPlainNamesAndRefusesEscapes) {
    EXPECT_THAT(safeComponents("a/b.dat"), ElementsAre("a", "b.dat"));
    EXPECT_THAT(safeComponents("sub\\表.txt"), ElementsAre("sub", "表.txt"));
    EXPECT_THAT(safeComponents("./a//b"), ElementsAre("a", "b"));
    for (const char* bad : {"", "../x", "a/../../x", "a/..", "/etc/passwd", "\\x", "C:x", "c:/x", ".", "a/\x01/b"})
        EXPECT_EQ(codeOf([&] { safeComponents(bad); }), ARC_ERR_UNSAFE_PATH) << bad;
}

TEST(Wildcard, MatchesWithoutRegardToCase) {
    struct Case {
        const char* pattern;
        const char* text;
        bool match;
    };
    const Case cases[] = {{"*.dat", "SinseiT13.DAT", true},   {"*.dat", "a.idx", false},
                          {"S?nsei*", "SinseiT32.blb", true}, {"*", "", true},
                          {"a*b*c", "aXbYbZc", true},         {"a*b*c", "aXbYbZ", false},
                          {"債権*", "債権者一覧.dat", true}};
    for (const auto& c : cases) EXPECT_EQ(wildcardMatch(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

TEST(OutputText, StaysInsideTheBufferAndEndsOnACharacter) {
    OutputText out;
    out.line("展開: 債権者.dat");
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    out.copyTo(nullptr, 8);
    out.copyTo(buf, 0);
    EXPECT_EQ(buf[0], 'x');
    out.copyTo(buf, 8);  // "展開" is 6 bytes; ':' would be the 7th
    EXPECT_STREQ(buf, "展開:");
    out.copyTo(buf, 6);  // room for 5 bytes: only one whole character
    EXPECT_STREQ(buf, "展");
}

// Source files for the writers: one per member, all with the same time stamp.
std::vector<PackItem> stageMembers(const TempDir& dir,
                                   const std::vector<std::pair<std::string, std::string>>& members) {
    std::vector<PackItem> items;
    for (size_t i = 0; i < members.size(); ++i) {
        const std::string src = dir / ("src" + std::to_string(i));
        test::writeFile(src, members[i].second);
        items.push_back(PackItem{members[i].first, src, false, members[i].second.size(), 1700000000, 0x20});
    }
    return items;
}

// Writes the members with our LHA writer and reads them back through libarchive.
std::vector<std::pair<MemberInfo, std::string>> lhaRoundTrip(
    const std::vector<std::pair<std::string, std::string>>& members) {
    TempDir dir;
    const auto items = stageMembers(dir, members);
    Progress progress(0, "");
    {
        OutputFile out(dir / "a.lzh");
        LhaWriter writer(out, progress);
        for (const auto& item : items) writer.add(item);
        writer.finish();
        out.close();
    }
    std::vector<std::pair<MemberInfo, std::string>> got;
    ArchiveReader reader(dir / "a.lzh", ArchiveFormat::Lha);
    MemberInfo m;
    while (reader.next(m)) {
        std::string data;
        uint8_t buf[4096];
        for (size_t n; (n = reader.read(buf, sizeof buf)) > 0;) data.append(reinterpret_cast<char*>(buf), n);
        got.emplace_back(m, data);
    }
    return got;
}

TEST(LhaWriter, EncodesEveryKindOfInputThatDecodesBack) {
    std::mt19937 rng(7);
    std::string random(100000, '\0');
    for (auto& c : random) c = static_cast<char>(rng());
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "row " + std::to_string(i % 977) + " 利息制限法\n";
    std::string farRepeat = random.substr(0, 8192);  // matches exactly one window back
    farRepeat += farRepeat + farRepeat;
    std::string longRuns(300000, '\0');
    for (size_t i = 0; i < longRuns.size(); i += 1000) longRuns[i] = static_cast<char>(i / 1000);
    std::string skewed;  // few symbols: tables with one or two codes
    for (int i = 0; i < 70000; ++i) skewed += (i % 97 == 0) ? 'b' : 'a';

    // Long enough for several independently encoded segments, with matches
    // that reach back across their borders.
    const std::string big = text + random + text + longRuns + text;

    const std::vector<std::pair<std::string, std::string>> members = {
        {"empty.dat", ""},      {"one.dat", "x"},       {"three.dat", "abc"},
        {"random.bin", random}, {"text.txt", text},     {"far.bin", farRepeat},
        {"runs.bin", longRuns}, {"skewed.txt", skewed}, {"sub/深い/名前.dat", text.substr(0, 5000)},
        {"big.dat", big}};
    const auto got = lhaRoundTrip(members);
    ASSERT_EQ(got.size(), members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(got[i].first.name, members[i].first);
        EXPECT_TRUE(got[i].second == members[i].second) << members[i].first;
        EXPECT_EQ(got[i].first.mtime, 1700000000);
        EXPECT_EQ(got[i].first.osId, kLhaOsId);
    }
    EXPECT_EQ(got[3].first.method, "-lh0-");  // random data is stored
    EXPECT_EQ(got[4].first.method, "-lh5-");
    EXPECT_LT(got[4].first.packedSize, members[4].second.size() / 5);
    EXPECT_EQ(got[6].first.method, "-lh5-");
    EXPECT_EQ(got[9].first.method, "-lh5-");
}

TEST(LhaWriter, NeverWritesAHeaderThatLooksLikeTheEndMark) {
    // Name lengths around every size whose low byte would be 0.
    std::vector<std::pair<std::string, std::string>> members;
    for (size_t len = 180; len <= 250; ++len) members.emplace_back(std::string(len, 'n'), "data");
    for (size_t len = 0; len < 600; ++len) {
        LhaHeaderFields f;
        f.fileName = std::string(len % 250 + 1, 'n');
        f.folder = len > 250 ? std::string(len - 250, 'd') : "";
        EXPECT_NE(lhaLevel2Header(f).size() & 0xFF, 0u) << len;
    }
    EXPECT_EQ(lhaRoundTrip(members).size(), members.size());
}

TEST(MszipEncoder, KeepsEveryPayloadWithinWhatReadersAccept) {
    std::mt19937 rng(3);
    std::vector<uint8_t> block(kMszipBlock);
    MszipEncoder enc;
    for (int round = 0; round < 4; ++round) {
        for (auto& b : block) b = static_cast<uint8_t>(round % 2 ? rng() : rng() % 4);
        const auto& payload = enc.encode(block.data(), block.size());
        EXPECT_LE(payload.size(), kMszipMaxPayload);
        EXPECT_EQ(payload[0], 'C');
        EXPECT_EQ(payload[1], 'K');
    }
}

TEST(CabWriter, WritesWhatLibarchiveReadsBack) {
    TempDir dir;
    std::mt19937 rng(11);
    std::string mixed;  // crosses block and file boundaries, with stored blocks in between
    for (int i = 0; i < 200000; ++i)
        mixed += (i / 40000) % 2 ? static_cast<char>(rng()) : static_cast<char>('a' + i % 7);
    const std::vector<std::pair<std::string, std::string>> members = {{"a.dat", mixed},
                                                                      {"空.dat", ""},
                                                                      {"sub/債権者.txt", "債権者\r\n"},
                                                                      {"emoji\xF0\x9F\x98\x80.txt", "utf-8 flag"}};
    const auto items = stageMembers(dir, members);
    Progress progress(0, "");
    {
        OutputFile out(dir / "a.cab");
        CabWriter(out, progress).write(items);
        out.close();
    }
    ArchiveReader reader(dir / "a.cab", ArchiveFormat::Cab);
    MemberInfo m;
    for (const auto& [name, data] : members) {
        ASSERT_TRUE(reader.next(m));
        EXPECT_EQ(m.name, name);
        EXPECT_EQ(m.method, "MSZIP");
        std::string got;
        uint8_t buf[4096];
        for (size_t n; (n = reader.read(buf, sizeof buf)) > 0;) got.append(reinterpret_cast<char*>(buf), n);
        EXPECT_TRUE(got == data) << name;
    }
    EXPECT_FALSE(reader.next(m));
}

}  // namespace
}  // namespace korvalen::archivers
