#include "korvalen/platform/scripted_messages.h"

namespace korvalen::platform {

namespace {

const char* NameOf(Answer answer) {
    switch (answer) {
        case Answer::Ok: return "Ok";
        case Answer::Cancel: return "Cancel";
        case Answer::Yes: return "Yes";
        case Answer::No: return "No";
        case Answer::Closed: return "Closed";
    }
    return "?";
}

}  // namespace

ScriptedMessages::ScriptedMessages(std::initializer_list<Answer> answers) : answers_(answers) {}

void ScriptedMessages::QueueAnswer(Answer answer) { answers_.push_back(answer); }

void ScriptedMessages::ShowPlain(const std::string& text) { Show(MessageType::Plain, Buttons::Ok, text); }

Answer ScriptedMessages::Show(MessageType type, Buttons buttons, const std::string& text) {
    std::string fault;
    // A box with one button has one answer.
    Answer answer = buttons == Buttons::Yes ? Answer::Yes : Answer::Ok;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        if (!Offers(buttons, answer)) {
            fault = std::string("scripted answer ") + NameOf(answer) + " is not a button of the message: " + text;
        }
    } else if (buttons != Buttons::Ok && buttons != Buttons::Yes) {
        fault = "no scripted answer for the question: " + text;
    }
    shown_.push_back(ShownMessage{type, buttons, text, answer});
    if (!fault.empty()) {
        faults_.push_back(fault);
        throw UnscriptedMessage(fault);
    }
    return answer;
}

}  // namespace korvalen::platform
