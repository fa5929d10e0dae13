#include "sample_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>

namespace korvalen::archivers::test {
namespace {

namespace fs = std::filesystem;

const char* const kPeople[] = {"山田太郎", "佐藤花子", "鈴木一郎", "高橋和子",
                               "田中誠",   "伊藤美咲", "渡辺健二", "中村由美"};
const char* const kLenders[] = {"株式会社アコム",     "プロミス株式会社", "アイフル株式会社",
                                "新生フィナンシャル", "ＣＩＣ信販",       "㈱ﾃﾞｰﾀﾛｰﾝ"};
const char* const kNotes[] = {"",           "取引履歴開示済み",  "一連計算", "分断あり・要確認",
                              "和解交渉中", "過払金返還請求予定"};

// mt19937's output is fixed by the standard (distributions are not).
struct Rng {
    std::mt19937 g{20240105};
    uint32_t below(uint32_t n) { return g() % n; }
};

class Db {
public:
    explicit Db(const fs::path& p) {
        fs::remove(p);
        if (sqlite3_open(p.string().c_str(), &db_) != SQLITE_OK) throw std::runtime_error("sqlite3_open");
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    }
    ~Db() {
        exec("COMMIT");
        sqlite3_close(db_);
    }
    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
        return s;
    }
    static void step(sqlite3_stmt* s) {
        sqlite3_step(s);
        sqlite3_reset(s);
    }

private:
    sqlite3* db_ = nullptr;
};

void cases(const fs::path& dir, const std::string& table, int rows, Rng& rng) {
    {
        Db dat(dir / (table + ".dat"));
        dat.exec(
            "CREATE TABLE t(CODE INT, SEQ INT PRIMARY KEY, NAME TEXT, GYOSYA_NAME TEXT, START_DAY INT, KEISAN_KIND "
            "INT, "
            "RIRITSU REAL, KABARAI_RIRITSU REAL, NOW_ZAN INT, HIKINAOSIGO_ZAN INT, SYONITI_UMU INT)");
        sqlite3_stmt* s = dat.prepare("INSERT INTO t VALUES(9999,?,?,?,?,?,?,?,?,?,?)");
        for (int i = 1; i <= rows; ++i) {
            sqlite3_bind_int(s, 1, i);
            sqlite3_bind_text(s, 2, kPeople[rng.below(8)], -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 3, kLenders[rng.below(6)], -1, SQLITE_STATIC);
            sqlite3_bind_int(s, 4, 36000 + static_cast<int>(rng.below(9000)));
            sqlite3_bind_int(s, 5, static_cast<int>(rng.below(6)));
            sqlite3_bind_double(s, 6, 29.2 - rng.below(12));
            sqlite3_bind_double(s, 7, 5.0);
            sqlite3_bind_int(s, 8, static_cast<int>(rng.below(500)) * 1000);
            sqlite3_bind_int(s, 9, -static_cast<int>(rng.below(300)) * 1000);
            sqlite3_bind_int(s, 10, static_cast<int>(rng.below(2)));
            Db::step(s);
        }
        sqlite3_finalize(s);
    }
    {
        Db idx(dir / (table + ".idx"));
        idx.exec("CREATE TABLE k(SEQ INT, NAME TEXT, PRIMARY KEY(NAME, SEQ)) WITHOUT ROWID");
        sqlite3_stmt* s = idx.prepare("INSERT INTO k VALUES(?,?)");
        for (int i = 1; i <= rows; ++i) {
            sqlite3_bind_int(s, 1, i);
            sqlite3_bind_text(s, 2, kPeople[rng.below(8)], -1, SQLITE_STATIC);
            Db::step(s);
        }
        sqlite3_finalize(s);
    }
    {
        Db blb(dir / (table + ".blb"));
        blb.exec("CREATE TABLE b(SEQ INT PRIMARY KEY, BIKO BLOB)");
        sqlite3_stmt* s = blb.prepare("INSERT INTO b VALUES(?,?)");
        for (int i = 1; i <= rows; i += 3) {
            std::string note;
            for (uint32_t k = rng.below(6); k > 0; --k) note += std::string(kNotes[rng.below(6)]) + "。";
            sqlite3_bind_int(s, 1, i);
            sqlite3_bind_blob(s, 2, note.data(), static_cast<int>(note.size()), SQLITE_TRANSIENT);
            Db::step(s);
        }
        sqlite3_finalize(s);
    }
}

void history(const fs::path& dir, int cases, Rng& rng) {
    Db dat(dir / "SinseiT32.dat");
    dat.exec(
        "CREATE TABLE h(CODE INT, SEQ INT, NO INT, HIDUKE INT, KARIIRE INT, HENSAI INT, RIRITSU INT, PRIMARY KEY(SEQ, "
        "NO))");
    sqlite3_stmt* s = dat.prepare("INSERT INTO h VALUES(9999,?,?,?,?,?,?)");
    for (int c = 1; c <= cases; ++c) {
        int day = 36000 + static_cast<int>(rng.below(3000));
        const int n = 20 + static_cast<int>(rng.below(60));
        for (int k = 1; k <= n; ++k) {
            day += 20 + static_cast<int>(rng.below(20));
            sqlite3_bind_int(s, 1, c);
            sqlite3_bind_int(s, 2, k);
            sqlite3_bind_int(s, 3, day);
            sqlite3_bind_int(s, 4, rng.below(4) == 0 ? static_cast<int>(rng.below(50)) * 10000 : 0);
            sqlite3_bind_int(s, 5, static_cast<int>(rng.below(30)) * 1000);
            sqlite3_bind_int64(s, 6, 292000);
            Db::step(s);
        }
    }
    sqlite3_finalize(s);
    Db idx(dir / "SinseiT32.idx");
    idx.exec("CREATE TABLE k(SEQ INT, NO INT, HIDUKE INT, PRIMARY KEY(SEQ, NO)) WITHOUT ROWID");
    sqlite3_stmt* k = idx.prepare("INSERT INTO k VALUES(?,?,?)");
    for (int c = 1; c <= cases; ++c)
        for (int i = 1; i <= 40; ++i) {
            sqlite3_bind_int(k, 1, c);
            sqlite3_bind_int(k, 2, i);
            sqlite3_bind_int(k, 3, 36000 + static_cast<int>(rng.below(9000)));
            Db::step(k);
        }
    sqlite3_finalize(k);
    std::ofstream(dir / "SinseiT32.blb", std::ios::binary).write("", 0);
}

}  // namespace

std::vector<std::string> makeSampleDatabase(const fs::path& folder, int scale) {
    fs::create_directories(folder);
    Rng rng;
    cases(folder, "SinseiT13", 3000 * scale, rng);
    history(folder, 1500 * scale, rng);
    cases(folder, "CSConM", 20, rng);
    cases(folder, "Opcfg", 1, rng);
    {
        // A list exported by hand, kept in the folder under a Japanese name.
        std::ofstream out(folder / "債権者一覧.dat", std::ios::binary);
        for (int i = 0; i < 400; ++i)
            out << i + 1 << "," << kLenders[rng.below(6)] << "," << kPeople[rng.below(8)] << "," << rng.below(1000000)
                << "円\r\n";
    }
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace korvalen::archivers::test
