// The switch set of an archive command: one property per command switch.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvalen::backup {

// Who expands the pack patterns: the library, or the bridge (FilterFiles).
enum TPackFilter : std::uint8_t { pfArchiver, pfComponent };

// The operations whose file list goes through the response file.
enum TResFileUse : std::uint8_t { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };

class TResFileUsage {
public:
    constexpr TResFileUsage() = default;
    constexpr TResFileUsage(std::initializer_list<TResFileUse> members) {
        for (const auto m : members) Include(m);
    }
    constexpr bool Contains(TResFileUse m) const { return (bits_ & Bit(m)) != 0; }
    constexpr void Include(TResFileUse m) { bits_ = static_cast<std::uint8_t>(bits_ | Bit(m)); }
    constexpr void Exclude(TResFileUse m) { bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(m)); }
    friend constexpr bool operator==(TResFileUsage, TResFileUsage) = default;

private:
    static constexpr std::uint8_t Bit(TResFileUse m) { return static_cast<std::uint8_t>(1u << m); }
    std::uint8_t bits_ = 0;
};

// A switch: -1 leaves it out of the command; 0 and above are written in decimal.
using TSwitch = std::int8_t;
inline constexpr TSwitch kSwitchNotGiven = -1;

// The 68 properties, in their order. A text counts as not given when empty.
// Copying a switch set onto another is Assign, which leaves ResFileUsage alone;
// plain copies are not offered so that rule cannot be bypassed by accident.
class TArchiverOptions {
public:
    TSwitch a = -1, c = -1, e = -1, f = -1, h = -1, i = -1, l = -1, m = -1, n = -1, o = -1, p = -1, r = -1, s = -1,
            t = -1, u = -1;
    std::string w;  // work folder
    TSwitch x = -1, y = -1, z = -1, jc = -1, jd = -1, je = -1, jf = -1, jh = -1, ji = -1, jm = -1, jn = -1;
    std::string jo;   // lower bound of the time window
    std::string job;  // upper bound of the time window
    TSwitch jp = -1, jr = -1, jsb = -1, jsc = -1, jsd = -1, jse = -1, jsf = -1, jsl = -1, jso = -1, jss = -1, jst = -1,
            jsv = -1, jsz = -1, jw = -1;
    std::vector<std::string> jx;  // exclusions
    TSwitch jyc = -1, jyd = -1, jyk = -1, jyn = -1, jyo = -1;
    std::string jz;
    TSwitch ga = -1, gd = -1, ge = -1, gf = -1, gj = -1, gm = -1, gn = -1, go = -1, gp = -1;
    std::string gr;
    TSwitch gs = -1, gu = -1, gw = -1;
    std::string UserOptions;   // appended unchanged after the switches
    std::string UserFileList;  // appended unchanged after the file names
    TPackFilter PackFilter = pfComponent;
    std::string ResFileName;
    TResFileUsage ResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem};

    TArchiverOptions() = default;
    TArchiverOptions& operator=(const TArchiverOptions&) = delete;

    // Copies every property of source except ResFileUsage.
    void Assign(const TArchiverOptions& source);

private:
    TArchiverOptions(const TArchiverOptions&) = default;
    TArchiverOptions& operator=(TArchiverOptions&&) = default;
};

// The properties from `a` to `gw` that become command switches, in order.
struct TSwitchProperty {
    enum Kind : std::uint8_t { Number, Text, Folder, TextList };
    std::string_view name;
    Kind kind;
    TSwitch TArchiverOptions::*number = nullptr;
    std::string TArchiverOptions::*text = nullptr;  // Text and Folder
    std::vector<std::string> TArchiverOptions::*list = nullptr;
};
std::span<const TSwitchProperty> SwitchProperties();

}  // namespace korvalen::backup
