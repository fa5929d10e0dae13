// The program's windows and printouts name the Windows font families
// (ＭＳ ゴシック, ＭＳ 明朝 and their proportional forms). Linux has none of
// them and fontconfig has no alias, so Qt would draw all four in one Gothic
// face; each is mapped to the IPA family of the same design instead.
#pragma once

namespace korvalen::printing {

inline constexpr const char* kMsGothic = "ＭＳ ゴシック";
inline constexpr const char* kMsMincho = "ＭＳ 明朝";
inline constexpr const char* kMsPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kMsPMincho = "ＭＳ Ｐ明朝";

// Maps the four MS families to IPAGothic, IPAMincho, IPAPGothic and
// IPAPMincho. Call once after the QGuiApplication exists, before any
// window is built or anything is printed.
void InstallFontSubstitutes();

}  // namespace korvalen::printing
