// The print dialog and the preview answered by a test: the dialog records
// what it was set to and answers from a queue; the preview, whenever it is
// shown modally, runs the next of the test's actions.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

#include "korvalen/printing/print_dialog.h"
#include "korvalen/printing/tav_prv.h"

namespace korvalen::printing::fixtures {

class ScriptedPrintDialog final : public PrintDialog {
public:
    struct Seen {
        int minPage, maxPage, fromPage, toPage;
    };
    struct Answer {
        bool confirm = true;
        int fromPage = 0;  // 0: all pages
        int toPage = 0;
    };

    bool printerReady = true;
    std::deque<Answer> answers;
    std::vector<Seen> seen;

    bool PrinterReady() override { return printerReady; }

protected:
    bool RunDialog(QWidget*) override {
        seen.push_back({MinPage(), MaxPage(), Printer().fromPage(), Printer().toPage()});
        if (answers.empty()) return false;
        const Answer answer = answers.front();
        answers.pop_front();
        if (answer.fromPage > 0) {
            Printer().setPrintRange(QPrinter::PageRange);
            Printer().setFromTo(answer.fromPage, answer.toPage);
        } else {
            Printer().setPrintRange(QPrinter::AllPages);
        }
        return answer.confirm;
    }
};

// Runs one queued action each time a preview window is shown modally; with
// the queue empty a preview is closed, so a test never hangs on it.
class PreviewScript final : public QObject {
public:
    using Action = std::function<void(TTavPRVF&)>;

    PreviewScript() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }
    void Then(Action action) { actions_.push_back(std::move(action)); }
    int Showings() const { return showings_; }

    static void Press(TTavPRVF& window, const char* button) {
        auto* b = window.findChild<QAbstractButton*>(QString::fromLatin1(button));
        if (b) b->click();
    }

private:
    void Tick() {
        auto* window = qobject_cast<TTavPRVF*>(QApplication::activeModalWidget());
        if (handled_ && (!window || window != handled_ || !window->isVisible())) handled_ = nullptr;
        if (!window || !window->isVisible() || handled_ == window) return;
        handled_ = window;
        ++showings_;
        if (actions_.empty()) {
            Press(*window, "SBClose");
        } else {
            Action action = std::move(actions_.front());
            actions_.pop_front();
            action(*window);
        }
        // Closed by the action: the next showing may come before the next tick.
        if (!window->isVisible()) handled_ = nullptr;
    }

    QTimer timer_;
    std::deque<Action> actions_;
    QPointer<TTavPRVF> handled_;
    int showings_ = 0;
};

}  // namespace korvalen::printing::fixtures
