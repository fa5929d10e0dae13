// The program's application object. Every error that escapes a user action
// arrives in notify, the one place that hands it to the error handler the
// main window installed and acts on what the handler decides; "end the
// program" (platform::EndProgram, or the handler's decision) leaves every
// event loop, however many modal windows are open.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <optional>

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/messages.h"

namespace korvalen::shell {

class KorvalenApplication final : public QApplication {
    Q_OBJECT
public:
    using ErrorHandler = std::function<platform::AfterError(std::exception_ptr)>;

    KorvalenApplication(int& argc, char** argv);

    // The application object of the running program; nullptr when another
    // kind of QApplication runs (tests of single windows).
    static KorvalenApplication* Instance();

    // Without a handler, an error is shown in a plain error box through
    // `messages` (set before the first event is dispatched).
    void SetMessages(platform::MessageService* messages) { messages_ = messages; }
    void SetErrorHandler(ErrorHandler handler) { handler_ = std::move(handler); }

    // Hands an error caught outside event dispatch (during start-up) to the
    // handler and acts on the decision, as notify does.
    void HandleEscapedError(std::exception_ptr error);
    // Runs `work`, passing anything it throws to HandleEscapedError.
    void RunGuarded(const std::function<void()>& work);

    // Ends the program with `exitCode`: leaves every running event loop;
    // before the main loop runs the request is only remembered, and the
    // start-up asks for it with TakeEndRequest.
    void EndProgram(int exitCode);
    // The exit code of a pending end request, which it clears.
    std::optional<int> TakeEndRequest();

    bool notify(QObject* receiver, QEvent* event) override;

private:
    platform::AfterError Decide(std::exception_ptr error);

    ErrorHandler handler_;
    platform::MessageService* messages_ = nullptr;
    std::optional<int> endCode_;
    int handling_ = 0;  // depth of errors being handled
};

}  // namespace korvalen::shell
