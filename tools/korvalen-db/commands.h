// The commands of korvalen-db. Each takes the arguments after the command
// name, prints its result to `out` and returns the exit code; bad input is
// thrown as cli::UsageError or tablestore::DataError, engine errors as
// tablestore::EngineError, and the entry point turns them into exit codes.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "korvalen/storage/case_store.h"
#include "korvalen/tablestore/database.h"

namespace korvalen::dbtool {

inline constexpr int kOk = 0;
inline constexpr int kProblemsFound = 1;
inline constexpr int kBadInput = 2;
inline constexpr int kEngineError = 3;

using Arguments = std::vector<std::string>;

// A cli::UsageError pointing to korvalen-db init when the database's folder
// holds none of the tables: the commands would only report a missing table
// there, or make files in it.
void RequireDatabase(const tablestore::Database& database, const std::string& folder);

// Every command but init works on a folder that is already there: its
// path, or a cli::UsageError.
std::string ExistingFolder(const std::string& folder);

// ... and that holds a database (RequireDatabase).
struct Folder {
    explicit Folder(const std::string& path);
    tablestore::Database database;
};

// The stored case, or a cli::UsageError naming the number.
storage::StoredCase LoadExisting(tablestore::Database& database, std::int32_t seq);

// The program's messages break lines the Windows way; a terminal wants LF.
std::string UnixLineBreaks(std::string text);

// A case number (SEQ) as typed on the command line; a cli::UsageError when
// it is no whole number from 0 to 32767.
std::int32_t ParseSeq(const std::string& text);

int Init(const Arguments& args, std::ostream& out);
int List(const Arguments& args, std::ostream& out);
int Import(const Arguments& args, std::ostream& out);
int Export(const Arguments& args, std::ostream& out);
int Show(const Arguments& args, std::ostream& out);
int Calc(const Arguments& args, std::ostream& out);
int Delete(const Arguments& args, std::ostream& out);
int Duplicate(const Arguments& args, std::ostream& out);
int Check(const Arguments& args, std::ostream& out);

}  // namespace korvalen::dbtool
