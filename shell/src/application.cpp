#include "korvalen/shell/application.h"

#include <QThread>
#include <iostream>

namespace korvalen::shell {

namespace {

// What a failed end of the program reports when nothing else can be said.
constexpr int kEndedByError = 1;

std::string TextOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return {};
    }
}

}  // namespace

KorvalenApplication::KorvalenApplication(int& argc, char** argv) : QApplication(argc, argv) {}

KorvalenApplication* KorvalenApplication::Instance() { return qobject_cast<KorvalenApplication*>(instance()); }

platform::AfterError KorvalenApplication::Decide(std::exception_ptr error) {
    // An error raised while an error is handled (a repair that opens the
    // database again and fails) goes through the handler once more; one
    // raised there as well is only shown, so a damage that repairs cannot
    // mend never loops.
    if (handler_ && handling_ < 2) return handler_(error);
    const std::string text = TextOf(error);
    if (messages_ != nullptr) {
        messages_->Show(platform::MessageType::Error, platform::Buttons::Ok, text);
    } else {
        std::cerr << text << '\n';
    }
    return platform::AfterError::GoOn;
}

void KorvalenApplication::HandleEscapedError(std::exception_ptr error) {
    ++handling_;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } depth{handling_};
    try {
        // The handler disables the File menu itself; only the end is left
        // to the application.
        if (Decide(error) == platform::AfterError::EndProgram) EndProgram(0);
    } catch (const platform::EndProgram& end) {
        EndProgram(end.exitCode());
    } catch (const std::exception&) {
        if (handling_ >= 2) {
            // Nothing more can be done for this error than to end.
            EndProgram(kEndedByError);
            return;
        }
        HandleEscapedError(std::current_exception());
    }
}

void KorvalenApplication::RunGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const platform::EndProgram& end) {
        EndProgram(end.exitCode());
    } catch (const std::exception&) {
        HandleEscapedError(std::current_exception());
    }
}

void KorvalenApplication::EndProgram(int exitCode) {
    if (!endCode_) endCode_ = exitCode;
    // exit() outside any loop would make the next modal loop return at
    // once; the start-up looks at the request before it runs the loop.
    if (QThread::currentThread()->loopLevel() > 0) exit(*endCode_);
}

std::optional<int> KorvalenApplication::TakeEndRequest() { return std::exchange(endCode_, std::nullopt); }

bool KorvalenApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::EndProgram& end) {
        EndProgram(end.exitCode());
    } catch (const std::exception&) {
        HandleEscapedError(std::current_exception());
    }
    return false;
}

}  // namespace korvalen::shell
