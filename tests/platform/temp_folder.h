#ifndef KORVALEN_TESTS_PLATFORM_TEMP_FOLDER_H
#define KORVALEN_TESTS_PLATFORM_TEMP_FOLDER_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "korvalen/testsupport/temp_folder.h"

using korvalen::testsupport::TempFolder;

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

#endif
