// The other process of the crash and concurrency tests. It writes to the
// tables of a folder and reports on standard output, one line per event:
//
//   commits FOLDER     case after case, each one transaction over three tables
//                      (header, history, the counter row of Opcfg); prints the
//                      number of each committed case; runs until it is killed
//   appends FOLDER ID N  N history rows of case ID, each its own post, and after
//                      each one adds 1 to the shared counter (edit and post)
//   post FOLDER TIMEOUT_MS  one post that must wait for the write lock; prints
//                      the engine error code it got, or 0
//
// An engine error ends the process with exit code 3 after printing
// "error CODE TEXT".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"

using namespace korvalen::tablestore;

namespace {

constexpr int kCaseCode = 9999;
constexpr int kHistoryRows = 40;
constexpr int kRewrittenRows = 20;
// Each case rewrites the history of the case this many before it.
constexpr int kRewriteDistance = 3;

void Line(const std::string& text) {
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void AppendHistory(Table& t, int seq, int seqno) {
    t.append();
    t.fieldByName("CODE").setInteger(kCaseCode);
    t.fieldByName("SEQ").setInteger(seq);
    t.fieldByName("SEQNO").setInteger(seqno);
    t.fieldByName("KARIIRE").setInteger(seq * 1000 + seqno);
    t.post();
}

int Counter(Table& options) {
    options.first();
    return options.eof() ? 0 : options.fieldByName("HENSAIHOUHOU_TAB").asInteger();
}

void AddToCounter(Table& options, int amount) {
    options.first();
    options.edit();
    options.fieldByName("HENSAIHOUHOU_TAB").setInteger(options.fieldByName("HENSAIHOUHOU_TAB").asInteger() + amount);
    options.post();
}

void Commits(Database& db) {
    Table header(db, "SinseiT13"), history(db, "SinseiT32"), options(db, "Opcfg");
    header.open();
    history.open();
    options.open();
    for (int k = Counter(options) + 1;; ++k) {
        db.startTransaction();
        header.append();
        header.fieldByName("CODE").setInteger(kCaseCode);
        header.fieldByName("SEQ").setInteger(k);
        header.fieldByName("NAME").setString("債務者" + std::to_string(k));
        header.post();
        for (int i = 0; i < kHistoryRows; ++i) AppendHistory(history, k, i);
        if (k > kRewriteDistance) {
            const int old = k - kRewriteDistance;
            history.setRange({kCaseCode, old});
            history.first();
            while (!history.eof()) history.deleteRecord();
            history.cancelRange();
            for (int i = 0; i < kRewrittenRows; ++i) AppendHistory(history, old, i);
        }
        AddToCounter(options, 1);
        db.commit();
        Line(std::to_string(k));
    }
}

void Appends(Database& db, int id, int rows) {
    Table history(db, "SinseiT32"), options(db, "Opcfg");
    history.open();
    options.open();
    for (int i = 0; i < rows; ++i) {
        AppendHistory(history, id, i);
        AddToCounter(options, 1);
    }
    Line("done");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string mode = argv[1];
    Database db;
    db.setDirectory(argv[2]);
    try {
        if (mode == "commits") {
            Commits(db);
        } else if (mode == "appends" && argc == 5) {
            db.setLockTimeout(std::chrono::seconds(30));
            Appends(db, std::atoi(argv[3]), std::atoi(argv[4]));
        } else if (mode == "post" && argc == 4) {
            db.setLockTimeout(std::chrono::milliseconds(std::atoi(argv[3])));
            Table history(db, "SinseiT32");
            history.open();
            Line("ready");
            try {
                AppendHistory(history, 1, 0);
                Line("0");
            } catch (const EngineError& e) {
                Line(std::to_string(e.code()));
            }
        } else {
            return 2;
        }
    } catch (const EngineError& e) {
        Line("error " + std::to_string(e.code()) + " " + e.what() + " " + e.detail());
        return 3;
    } catch (const std::exception& e) {
        Line(std::string("error 0 ") + e.what());
        return 3;
    }
    return 0;
}
