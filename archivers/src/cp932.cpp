#include "cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace korvalen::archivers {
namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    // A converter per call: names are short and iconv_t must not be shared
    // between threads.
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buf.data();
        size_t outLeft = buf.size();
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf.data(), buf.size() - outLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
        if (r != static_cast<size_t>(-1) && r > 0) {
            // Irreversible conversions count as failures: the name would change.
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    auto sjis = convert("CP932", "UTF-8", utf8);
    if (!sjis) return std::nullopt;
    auto back = convert("UTF-8", "CP932", *sjis);
    if (!back || *back != utf8) return std::nullopt;
    return sjis;
}

std::optional<std::string> cp932ToUtf8(std::string_view cp932) { return convert("UTF-8", "CP932", cp932); }

}  // namespace korvalen::archivers
