// Errors raised by the table engine.
//
// EngineError carries the numeric code the application's error handler
// switches on, a Japanese message for the user and, for the codes about one
// table, that table's name. DataError is a mistake in the data or in the use
// of a cursor (a text too long, a value of the wrong kind, a post without an
// edit); it carries a message only and is one of the errors whose text is for
// the user. EngineError stays apart from those: it is handled by its code,
// and its text is only part of what the user is shown.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "korvalen/base/user_error.h"

namespace korvalen::tablestore {

namespace codes {
inline constexpr std::uint16_t TableNotFound = 8712;  // the .dat holds no table of ours
inline constexpr std::uint16_t HeaderCorrupt = 8961;  // not a database, or its header page is damaged
inline constexpr std::uint16_t RecordCorrupt = 8962;  // the table's field list is damaged
inline constexpr std::uint16_t IndexCorrupt = 8965;   // index damaged; rebuilding it loses nothing
inline constexpr std::uint16_t OutOfMemory = 9473;
inline constexpr std::uint16_t DiskFull = 9475;
inline constexpr std::uint16_t DuplicateKey = 9729;
inline constexpr std::uint16_t FileMissing = 9987;    // a file vanished while in use
inline constexpr std::uint16_t TableDamaged = 10024;  // record pages damaged: restore a backup
inline constexpr std::uint16_t NotFound = 11010;      // table file or folder does not exist
inline constexpr std::uint16_t PathNotFound = 11011;  // the folder path is not a usable path
inline constexpr std::uint16_t AccessDenied = 11013;
inline constexpr std::uint16_t OsError = 11047;           // an operating-system error we cannot name
inline constexpr std::uint16_t SharingViolation = 11058;  // a lock could not be had in time
inline constexpr std::uint16_t SqlError = 11949;          // the engine refused its own statement
inline constexpr std::uint16_t TableExists = 13060;
}  // namespace codes

class EngineError : public std::runtime_error {
public:
    // detail: what the engine underneath said, for a log or a support mail;
    // never shown in place of the message. path: the file or folder the
    // error is about, where one is known; the message ends with it.
    EngineError(std::uint16_t code, std::string tableName, std::string detail = {}, std::string path = {});

    std::uint16_t code() const noexcept { return code_; }
    const std::string& tableName() const noexcept { return table_; }
    const std::string& detail() const noexcept { return detail_; }
    const std::string& path() const noexcept { return path_; }
    // The Japanese text for the user (the same as what()).
    std::string message() const { return what(); }

private:
    std::uint16_t code_;
    std::string table_;
    std::string detail_;
    std::string path_;
};

class DataError : public base::UserError {
public:
    using base::UserError::UserError;
    std::string message() const { return what(); }
};

// The user's text of an engine error code; the table name fills the place of
// the table where the text names one.
std::string EngineErrorText(std::uint16_t code, const std::string& tableName);

}  // namespace korvalen::tablestore
