#ifndef KORVALEN_PLATFORM_SCRIPTED_MESSAGES_H
#define KORVALEN_PLATFORM_SCRIPTED_MESSAGES_H

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "korvalen/platform/messages.h"

namespace korvalen::platform {

// One message as it was shown, with the answer it got.
struct ShownMessage {
    MessageType type;
    Buttons buttons;
    std::string text;
    Answer answer;
};

// Thrown when a message cannot be answered from the script. On purpose not
// a std::exception, so error handlers that catch those do not swallow it.
class UnscriptedMessage {
public:
    explicit UnscriptedMessage(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

private:
    std::string what_;
};

// The test implementation: answers come from a queue, every message is
// recorded. Each box takes the next queued answer; with the queue empty a
// box that offers only OK (or only Yes) is answered so, and a box that asks a question
// is a fault. A fault (also a queued answer that the box does not offer) is
// recorded in Faults() and thrown as UnscriptedMessage, so a test fails
// instead of hanging on a box nobody will answer. Check Faults() is empty
// at the end of a test in case the code under test swallowed the throw.
class ScriptedMessages final : public MessageService {
public:
    ScriptedMessages() = default;
    ScriptedMessages(std::initializer_list<Answer> answers);

    void QueueAnswer(Answer answer);

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    const std::vector<std::string>& Faults() const { return faults_; }
    std::size_t PendingAnswers() const { return answers_.size(); }

    void ShowPlain(const std::string& text) override;
    Answer Show(MessageType type, Buttons buttons, const std::string& text) override;

private:
    std::deque<Answer> answers_;
    std::vector<ShownMessage> shown_;
    std::vector<std::string> faults_;
};

}  // namespace korvalen::platform

#endif
