#include "table_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>

#include "korvalen/tablestore/errors.h"
#include "layout.h"
#include "os_errors.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

void CheckTableName(std::string_view name) {
    bool ok = !name.empty() && name.size() <= 64 && name != "." && name != "..";
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|') {
            ok = false;
        }
    }
    if (!ok) throw DataError("テーブル名「" + std::string(name) + "」は使えません。");
}

fs::path TableFile(const fs::path& folder, std::string_view name, std::string_view ext) {
    std::string file(name);
    file += ext;
    return folder / fs::path(std::u8string(file.begin(), file.end()));
}

fs::path JournalOf(const fs::path& dataFile) {
    fs::path j = dataFile;
    j += std::string(kJournalSuffix);
    return j;
}

std::string IndexStamp(const Layout& layout) { return "KORVALEN TABLE INDEX 1\nKEY=" + layout.keyText() + "\n"; }

std::optional<std::string> ReadSmallFile(const fs::path& file, std::size_t limit) {
    // Every table open reads its .idx: one open, usually one read, one close.
    std::string text;
#ifdef _WIN32
    std::FILE* f = _wfopen(file.c_str(), L"rb");
    if (!f) return std::nullopt;
    auto readSome = [&](char* into, std::size_t room) { return static_cast<long long>(std::fread(into, 1, room, f)); };
#else
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    auto readSome = [&](char* into, std::size_t room) { return static_cast<long long>(::read(fd, into, room)); };
#endif
    std::size_t used = 0;
    while (used < limit) {
        text.resize(std::min(limit, std::max<std::size_t>(512, text.size() * 2)));
        const long long n = readSome(text.data() + used, text.size() - used);
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
        if (used < text.size()) break;  // a short read of a plain file is its end
    }
#ifdef _WIN32
    std::fclose(f);
#else
    ::close(fd);
#endif
    text.resize(used);
    return text;
}

StampState ReadStamp(const fs::path& file, std::string_view expected) {
    auto text = ReadSmallFile(file, expected.size() + 1);
    if (!text) return StampState::Missing;
    return *text == expected ? StampState::Matches : StampState::Differs;
}

void WriteStamp(const fs::path& file, std::string_view text, const std::string& tableName) {
    std::random_device random;
    fs::path temp = file;
    temp += ".~" + std::to_string(random());
    {
        errno = 0;
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            // The streams report no reason; the C library's errno does.
            const int reason = errno;
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw EngineError(
                reason ? CodeForOsError(std::error_code(reason, std::generic_category())) : codes::AccessDenied,
                tableName, "cannot write " + file.string());
        }
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw EngineError(CodeForOsError(ec), tableName, ec.message());
    }
}

void RemoveIfPresent(const fs::path& file, const std::string& tableName) {
    std::error_code ec;
    fs::remove(file, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw EngineError(CodeForOsError(ec), tableName, ec.message());
    }
}

void SyncFolder(const fs::path& folder) noexcept {
#ifndef _WIN32
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

void CheckFolder(const fs::path& folder) {
    if (folder.empty()) throw DataError("データベースフォルダが指定されていません。");
    std::error_code ec;
    fs::file_status st = fs::status(folder, ec);
    const auto u = folder.u8string();
    const std::string where(u.begin(), u.end());
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw EngineError(CodeForOsError(ec), {}, ec.message(), where);
    }
    if (!fs::exists(st)) throw EngineError(codes::NotFound, {}, "folder missing", where);
    if (!fs::is_directory(st)) throw EngineError(codes::PathNotFound, {}, "not a folder", where);
}

}  // namespace korvalen::tablestore::detail
