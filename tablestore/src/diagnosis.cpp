#include "diagnosis.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "korvalen/tablestore/errors.h"
#include "layout.h"
#include "page_checksum_vfs.h"

namespace korvalen::tablestore::detail {
namespace {

// Worst first: the order in which damage decides the code.
enum class Damage { None, Rebuildable, Rows, Header };

std::uint16_t CodeFor(Damage d) {
    switch (d) {
        case Damage::None: return 0;
        case Damage::Rebuildable: return codes::IndexCorrupt;
        case Damage::Rows: return codes::TableDamaged;
        case Damage::Header: return codes::HeaderCorrupt;
    }
    return codes::TableDamaged;
}

Damage DamageOfObject(const std::string& name) {
    if (name == kKeyIndex) return Damage::Rebuildable;
    if (name == "sqlite_schema" || name == "sqlite_master") return Damage::Header;
    return Damage::Rows;
}

struct Query {
    sqlite3_stmt* st = nullptr;
    Query(sqlite3* db, const std::string& sql) { sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr); }
    ~Query() { sqlite3_finalize(st); }
};

std::string Text(sqlite3_stmt* st, int col) {
    const auto* p = sqlite3_column_text(st, col);
    return p ? reinterpret_cast<const char*>(p) : "";
}

using PageMap = std::map<std::uint32_t, std::string>;

// The number after the last "page " in a line, 0 when there is none.
std::uint32_t LastPageNumber(const std::string& line) {
    std::size_t at = line.rfind("page ");
    return at == std::string::npos ? 0 : static_cast<std::uint32_t>(std::strtoul(line.c_str() + at + 5, nullptr, 10));
}

Damage DamageOfPage(std::uint32_t page, const PageMap& owners) {
    if (page == 1) return Damage::Header;
    auto it = owners.find(page);
    // A page no table or index owns is free: rebuilding the file drops it.
    return it == owners.end() ? Damage::Rebuildable : DamageOfObject(it->second);
}

// One line of integrity_check output, judged by what it is about.
Damage DamageOfFinding(std::string line, const PageMap& roots, const PageMap& owners, bool ownersKnown) {
    // The first line carries "*** in database main ***".
    if (line.rfind("*** in database", 0) == 0) {
        auto cut = line.find('\n');
        line = cut == std::string::npos ? std::string() : line.substr(cut + 1);
    }
    if (line.find(std::string("index ") + kKeyIndex) != std::string::npos) return Damage::Rebuildable;
    if (line.find("is never used") != std::string::npos || line.find("freelist") != std::string::npos) {
        return Damage::Rebuildable;
    }
    if (line.rfind("Tree ", 0) == 0) {
        auto root = static_cast<std::uint32_t>(std::strtoul(line.c_str() + 5, nullptr, 10));
        if (root == 1) return Damage::Header;
        auto it = roots.find(root);
        if (it != roots.end()) return DamageOfObject(it->second);
    }
    // "Multiple uses for byte 3709 of page 7" and the like: by the page's
    // owner, when the owners could be read.
    if (std::uint32_t page = LastPageNumber(line); page != 0 && ownersKnown) return DamageOfPage(page, owners);
    return Damage::Rows;
}

// A value of the wrong storage class can only come from a foreign writer or
// damage that kept the page sound.
std::string WrongClassQuery(const Layout& layout) {
    std::string where;
    for (const FieldDef& f : layout.fields) {
        std::string allowed = f.type == FieldType::String  ? "'text'"
                              : f.type == FieldType::Float ? "'real','integer'"
                                                           : "'integer'";
        if (!where.empty()) where += " OR ";
        where += "typeof(" + Quote(f.name) + ") NOT IN ('null'," + allowed + ")";
    }
    for (int k : layout.key) where += " OR " + Quote(layout.fields[static_cast<std::size_t>(k)].name) + " IS NULL";
    return std::string("SELECT count(*) FROM ") + kRowsTable + " WHERE " + where;
}

}  // namespace

TableCheck Diagnose(const std::filesystem::path& dataFile, std::chrono::milliseconds timeout, const Layout* layout) {
    TableCheck result;
    Damage worst = Damage::None;
    auto note = [&](Damage d, std::string finding) {
        worst = std::max(worst, d);
        result.findings.push_back(std::move(finding));
    };

    Connection c;
    if (OpenTableFile(c, dataFile, timeout) != SQLITE_OK) {
        note(Damage::Rows, std::string("cannot open: ") + (c.db ? sqlite3_errmsg(c.db) : "?"));
        result.code = codes::TableDamaged;
        return result;
    }
    sqlite3* db = c.db;
    auto probe = PageProbe::Of(db, "main");
    if (probe) probe->setTolerant(true);

    PageMap roots;
    {
        Query q(db, "SELECT name, rootpage FROM sqlite_schema");
        while (q.st && sqlite3_step(q.st) == SQLITE_ROW) {
            roots[static_cast<std::uint32_t>(sqlite3_column_int64(q.st, 1))] = Text(q.st, 0);
        }
    }

    std::vector<std::string> lines;
    bool checked = false;
    {
        Query q(db, "PRAGMA integrity_check(100)");
        int rc = SQLITE_ERROR;
        while (q.st && (rc = sqlite3_step(q.st)) == SQLITE_ROW) {
            std::string line = Text(q.st, 0);
            if (line != "ok") lines.push_back(line);
        }
        checked = rc == SQLITE_DONE;
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
            result.findings.push_back("integrity check: the table is locked");
            result.code = codes::SharingViolation;
            return result;
        }
        if (!checked) {
            note((rc & 0xff) == SQLITE_NOTADB ? Damage::Header : Damage::Rows,
                 std::string("integrity check stopped: ") + sqlite3_errmsg(db));
        }
    }

    // The owner of every page, for the findings and the failed checksums.
    PageMap owners;
    bool ownersKnown = false;
    if (!lines.empty() || (probe && !probe->badPages().empty())) {
        Query q(db, "SELECT name, pageno FROM dbstat('main')");
        int rc = SQLITE_ERROR;
        while (q.st && (rc = sqlite3_step(q.st)) == SQLITE_ROW) {
            owners[static_cast<std::uint32_t>(sqlite3_column_int64(q.st, 1))] = Text(q.st, 0);
        }
        ownersKnown = rc == SQLITE_DONE;
    }
    for (const std::string& line : lines) note(DamageOfFinding(line, roots, owners, ownersKnown), line);
    if (probe) {
        for (std::uint32_t page : probe->badPages()) {
            auto it = owners.find(page);
            note(ownersKnown || page == 1 ? DamageOfPage(page, owners) : Damage::Rows,
                 "page " + std::to_string(page) + " checksum (" + (it != owners.end() ? it->second : "free") + ")");
        }
    }
    if (layout && checked) {
        // The key index must be over the layout's key fields, in order.
        std::string expected, found;
        for (int k : layout->key) expected += layout->fields[static_cast<std::size_t>(k)].name + ";";
        Query q(db, std::string("PRAGMA index_info(") + kKeyIndex + ")");
        while (q.st && sqlite3_step(q.st) == SQLITE_ROW) found += Text(q.st, 2) + ";";
        if (found != expected) note(Damage::Rebuildable, "key index over \"" + found + "\", not \"" + expected + "\"");

        Query values(db, WrongClassQuery(*layout));
        if (values.st && sqlite3_step(values.st) == SQLITE_ROW && sqlite3_column_int64(values.st, 0) > 0) {
            note(Damage::Rows,
                 std::to_string(sqlite3_column_int64(values.st, 0)) + " rows hold values of a wrong type");
        }
    }
    result.code = CodeFor(worst);
    return result;
}

}  // namespace korvalen::tablestore::detail
