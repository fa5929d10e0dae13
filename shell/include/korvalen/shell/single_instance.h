// One copy of the program per desktop session. A marker file named after
// the program file in the user's runtime folder says that a copy runs; a
// local socket named after the title ("カドレア") beside it lets a second
// copy ask the running one to show itself. A marker whose copy does not
// answer was left by a run that did not end normally.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "korvalen/platform/messages.h"

class QLocalServer;

namespace korvalen::shell {

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // `runtimeFolder` without a trailing separator; empty when the session
    // has none.
    SingleInstance(std::string runtimeFolder, const std::string& programFileName, const QString& title);
    // Deletes the marker when this copy made it.
    ~SingleInstance() override;

    // Decides whether this copy runs, telling the user why not: true when
    // it made the marker (and now answers other copies); false after the
    // warning about a running copy (which was asked to show itself), the
    // warning about a stale marker (which was deleted) or the warning that
    // the marker could not be made.
    bool Start(platform::MessageService& messages);

    // What a second copy's request runs in this one (bring the main window
    // to the front).
    void SetShowRequest(std::function<void()> show) { show_ = std::move(show); }

    const std::string& MarkerPath() const { return marker_; }
    const QString& ServerPath() const { return serverPath_; }

private:
    void Listen();
    void Answer();

    std::string marker_;
    QString serverPath_;
    bool ownsMarker_ = false;
    QLocalServer* server_ = nullptr;
    std::function<void()> show_;
};

}  // namespace korvalen::shell
