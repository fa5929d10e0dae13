// A date-input library that shows nothing: it records each call and
// answers from a queue (empty, as a cancel, when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "korvalen/wizard/date_input_library.h"

namespace korvalen::wizard::fixtures {

struct DateInputCall {
    std::string entry;
    int x;
    int y;
    std::string argument;  // the third argument; empty for ShowMonCalendar
};

class ScriptedDateInput final : public DateInputLibrary {
public:
    void Answer(std::string answer) { answers_.push_back(std::move(answer)); }
    const std::vector<DateInputCall>& Calls() const { return calls_; }

    std::string ShowCalendar2(int x, int y, const std::string& key) override {
        return Take("ShowCalendar2", x, y, key);
    }
    std::string ShowCalendar(int x, int y, const std::string& key) override { return Take("ShowCalendar", x, y, key); }
    std::string ShowDyginpEX(int x, int y, const std::string& initial) override {
        return Take("ShowDyginpEX", x, y, initial);
    }
    std::string ShowDysinp(int x, int y, const std::string& key) override { return Take("ShowDysinp", x, y, key); }
    std::string ShowMonCalendar(int x, int y) override { return Take("ShowMonCalendar", x, y, {}); }

private:
    std::string Take(const char* entry, int x, int y, const std::string& argument) {
        calls_.push_back({entry, x, y, argument});
        if (answers_.empty()) return {};
        std::string answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::deque<std::string> answers_;
    std::vector<DateInputCall> calls_;
};

}  // namespace korvalen::wizard::fixtures
