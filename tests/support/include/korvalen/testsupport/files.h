// Whole files read and written byte for byte, for tests that prepare or
// damage files and compare what was written.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace korvalen::testsupport {

// The file's bytes; "" when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's content with `bytes`.
inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace korvalen::testsupport
