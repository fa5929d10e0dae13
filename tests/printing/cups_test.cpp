// A statement printed on a real CUPS queue (cups-pdf, which turns jobs into
// PDF files) lands as a file with its pages. The test starts the scheduler
// when it is not running and adds a queue of its own for the time it runs.
#include <gtest/gtest.h>

#include <QPrinterInfo>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "korvalen/platform/clock.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/testsupport/child_process.h"
#include "pdf_tools.h"
#include "statement_fixtures.h"

namespace korvalen::printing {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;

constexpr const char* kQueue = "KorvalenStatementTest";
constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

int RunAdmin(const std::string& program, const std::vector<std::string>& args) {
    if (!fs::exists(program)) return -1;
    ChildProcess child(program, args);
    return child.Wait(std::chrono::seconds(30));
}

bool SchedulerRuns() {
    ChildProcess status("/usr/bin/lpstat", {"-r"});
    status.Wait(std::chrono::seconds(10));
    return status.Out().find("is running") != std::string::npos &&
           status.Out().find("not running") == std::string::npos;
}

// The real dialog, confirmed without being shown: the printer chosen is the
// test's queue.
class ConfirmingDialog final : public PrintDialog {
protected:
    bool RunDialog(QWidget*) override { return true; }
};

class CupsQueue : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/sbin/cupsd") || !fs::exists("/usr/sbin/lpadmin") || !fs::exists(kPpd)) {
            GTEST_SKIP() << "CUPS or cups-pdf is not installed (packages cups, cups-client, printer-driver-cups-pdf)";
        }
        if (!SchedulerRuns()) {
            scheduler_ = std::make_unique<ChildProcess>("/usr/sbin/cupsd", std::vector<std::string>{"-f"});
            for (int i = 0; i < 100 && !SchedulerRuns(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!SchedulerRuns()) GTEST_SKIP() << "cupsd cannot run here: " << scheduler_->Err();
        }
        ASSERT_EQ(RunAdmin("/usr/sbin/lpadmin", {"-p", kQueue, "-E", "-v", "cups-pdf:/", "-P", kPpd}), 0);
        queueAdded_ = true;
    }
    void TearDown() override {
        if (queueAdded_) RunAdmin("/usr/sbin/lpadmin", {"-x", kQueue});
        for (const fs::path& file : NewFiles()) fs::remove(file);
    }

    // cups-pdf writes into ~/PDF of the user who printed.
    static fs::path OutputFolder() {
        const char* home = std::getenv("HOME");
        return fs::path(home ? home : "/root") / "PDF";
    }
    std::set<fs::path> Files() const {
        std::set<fs::path> files;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(OutputFolder(), ec)) files.insert(entry.path());
        return files;
    }
    std::vector<fs::path> NewFiles() const {
        std::vector<fs::path> found;
        for (const fs::path& file : Files()) {
            if (!before_.count(file)) found.push_back(file);
        }
        return found;
    }

    std::set<fs::path> before_ = Files();

private:
    std::unique_ptr<ChildProcess> scheduler_;
    bool queueAdded_ = false;
};

TEST_F(CupsQueue, AStatementPrintedOnTheQueueLandsAsAFile) {
    ASSERT_TRUE(QPrinterInfo::printerInfo(QString::fromLatin1(kQueue)).printerName() == QString::fromLatin1(kQueue));
    ConfirmingDialog dialog;
    dialog.Printer().setPrinterName(QString::fromLatin1(kQueue));
    ASSERT_TRUE(dialog.PrinterReady());
    platform::ScriptedMessages messages;
    platform::FixedClock clock(platform::DayNumberOf(2024, 5, 3));
    PrintServices services{dialog, messages, clock};

    PrintStatement(fixtures::RecalculatedStatement(60), false, services, nullptr);
    EXPECT_TRUE(messages.Shown().empty());

    // The job passes through the scheduler and Ghostscript; give it time.
    std::vector<fs::path> landed;
    for (int i = 0; i < 600 && landed.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (const fs::path& file : NewFiles()) {
            std::error_code ec;
            if (file.extension() == ".pdf" && fs::file_size(file, ec) > 0) landed.push_back(file);
        }
    }
    ASSERT_EQ(landed.size(), 1u) << "no job output under " << OutputFolder();
    // The writer has finished when the size stays put.
    for (std::uintmax_t last = 0, stable = 0; stable < 3;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::uintmax_t size = fs::file_size(landed[0]);
        stable = size == last ? stable + 1 : 0;
        last = size;
    }
    EXPECT_EQ(fixtures::PdfPageCount(landed[0].string()), 2);
    EXPECT_NE(fixtures::PdfInfo(landed[0].string()).find("595 x 842"), std::string::npos);
}

}  // namespace
}  // namespace korvalen::printing
