#include "korvalen/backup/archiver_options.h"

#include <array>
#include <utility>

namespace korvalen::backup {

void TArchiverOptions::Assign(const TArchiverOptions& source) {
    if (&source == this) return;
    TArchiverOptions copy(source);
    copy.ResFileUsage = ResFileUsage;
    *this = std::move(copy);
}

namespace {

using O = TArchiverOptions;
using P = TSwitchProperty;

constexpr P Num(std::string_view name, TSwitch O::*member) { return P{name, P::Number, member, nullptr, nullptr}; }
constexpr P Txt(std::string_view name, std::string O::*member) { return P{name, P::Text, nullptr, member, nullptr}; }

constexpr std::array kProperties{
    Num("a", &O::a),     Num("c", &O::c),     Num("e", &O::e),     Num("f", &O::f),
    Num("h", &O::h),     Num("i", &O::i),     Num("l", &O::l),     Num("m", &O::m),
    Num("n", &O::n),     Num("o", &O::o),     Num("p", &O::p),     Num("r", &O::r),
    Num("s", &O::s),     Num("t", &O::t),     Num("u", &O::u),     P{"w", P::Folder, nullptr, &O::w, nullptr},
    Num("x", &O::x),     Num("y", &O::y),     Num("z", &O::z),     Num("jc", &O::jc),
    Num("jd", &O::jd),   Num("je", &O::je),   Num("jf", &O::jf),   Num("jh", &O::jh),
    Num("ji", &O::ji),   Num("jm", &O::jm),   Num("jn", &O::jn),   Txt("jo", &O::jo),
    Txt("job", &O::job), Num("jp", &O::jp),   Num("jr", &O::jr),   Num("jsb", &O::jsb),
    Num("jsc", &O::jsc), Num("jsd", &O::jsd), Num("jse", &O::jse), Num("jsf", &O::jsf),
    Num("jsl", &O::jsl), Num("jso", &O::jso), Num("jss", &O::jss), Num("jst", &O::jst),
    Num("jsv", &O::jsv), Num("jsz", &O::jsz), Num("jw", &O::jw),   P{"jx", P::TextList, nullptr, nullptr, &O::jx},
    Num("jyc", &O::jyc), Num("jyd", &O::jyd), Num("jyk", &O::jyk), Num("jyn", &O::jyn),
    Num("jyo", &O::jyo), Txt("jz", &O::jz),   Num("ga", &O::ga),   Num("gd", &O::gd),
    Num("ge", &O::ge),   Num("gf", &O::gf),   Num("gj", &O::gj),   Num("gm", &O::gm),
    Num("gn", &O::gn),   Num("go", &O::go),   Num("gp", &O::gp),   Txt("gr", &O::gr),
    Num("gs", &O::gs),   Num("gu", &O::gu),   Num("gw", &O::gw),
};

}  // namespace

std::span<const TSwitchProperty> SwitchProperties() { return kProperties; }

}  // namespace korvalen::backup
