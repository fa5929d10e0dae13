// One table-engine transaction around a piece of work.
#pragma once

#include <type_traits>
#include <utility>

#include "korvalen/tablestore/database.h"

namespace korvalen::storage::detail {

// Runs `work` as one transaction of the database: its writes become
// durable together when it returns and vanish together when it throws (the
// error then travels on). Reads inside see one committed state of every
// table, because no other writer can commit meanwhile. Work that runs
// inside a caller's transaction simply joins it.
template <typename Work>
auto InTransaction(tablestore::Database& database, Work&& work) {
    if (database.inTransaction()) return std::forward<Work>(work)();
    database.startTransaction();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            std::forward<Work>(work)();
            database.commit();
        } else {
            auto result = std::forward<Work>(work)();
            database.commit();
            return result;
        }
    } catch (...) {
        database.rollback();
        throw;
    }
}

}  // namespace korvalen::storage::detail
