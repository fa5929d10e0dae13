// What is damaged in a table file, told by an integrity check that reads
// damaged pages as they are and by the owners of the pages whose checksum
// failed. The code chooses the repair: an index (or free pages) can be
// rebuilt from the rows without loss; damaged rows cannot.
//
// The check runs on a connection of its own, so pages read as they are
// never reach the cache of a connection that serves rows.
#pragma once

#include <chrono>
#include <filesystem>

#include "korvalen/tablestore/database.h"

namespace korvalen::tablestore::detail {

struct Layout;

// code 0: nothing found. With a layout, every stored value is also checked
// against its field's type.
TableCheck Diagnose(const std::filesystem::path& dataFile, std::chrono::milliseconds timeout,
                    const Layout* layout = nullptr);

}  // namespace korvalen::tablestore::detail
