// Driving a window that exec() shows modally: exec does not return until
// the window is closed, so the test's actions run from a timer inside its
// loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace korvalen::testsupport {

// Runs `answer` on the first modal window of type Dialog that comes up.
template <typename Dialog>
void AnswerModal(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start();
}

}  // namespace korvalen::testsupport
