// A file layer under SQLite that keeps a checksum in the last 8 bytes of
// every page of a table file (.dat), so that a damaged page is noticed when
// it is read instead of turning into wrong rows. Everything else (journals,
// temporary files, the folder's anchor file) passes through untouched.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

struct sqlite3;

namespace korvalen::tablestore::detail {

// Bytes SQLite must leave free at the end of each page of a table file.
inline constexpr int kPageReserve = 8;

// Registers the layer once per process; the name to open connections with.
const char* PageChecksumVfsName();

// A connection of its own, closed when it goes out of scope.
struct Connection {
    sqlite3* db = nullptr;
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();
};

// Opens an existing table file through the layer on c, waiting up to timeout
// for its locks. Returns SQLite's result; after a failure c.db may still hold
// the message.
int OpenTableFile(Connection& c, const std::filesystem::path& dataFile, std::chrono::milliseconds timeout);

// The pages of one attached table file whose checksum failed while the file
// was in tolerant mode (which reads them as they are, for a diagnosis).
class PageProbe {
public:
    // Nothing when schema is not a table file opened through the layer.
    static std::optional<PageProbe> Of(sqlite3* db, const char* schema);

    void setTolerant(bool on);
    const std::vector<std::uint32_t>& badPages() const;

private:
    explicit PageProbe(void* file) : file_(file) {}
    void* file_;
};

}  // namespace korvalen::tablestore::detail
