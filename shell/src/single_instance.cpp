#include "korvalen/shell/single_instance.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include "korvalen/platform/errors.h"
#include "korvalen/platform/file_ops.h"

namespace korvalen::shell {

namespace {

using platform::Buttons;
using platform::MessageType;

constexpr const char* kAlreadyRunning = "「カドレア」は、既に起動されています。";
constexpr const char* kStaleMarker =
    "前回正常終了されなかったため起動できませんでした。再度このプログラムを起動して下さい。";
constexpr const char* kCannotStart = "「カドレア」を起動できません。";

constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShown = "shown\n";

// A running copy accepts at once, even while it is busy: the system queues
// the connection. Nobody accepting means nobody is there.
constexpr int kConnectTimeoutMs = 1000;
// How long the second copy waits for the first to say it is in front.
constexpr int kAnswerTimeoutMs = 3000;

bool Reachable(const QString& serverPath) {
    QLocalSocket probe;
    probe.connectToServer(serverPath);
    return probe.waitForConnected(kConnectTimeoutMs);
}

}  // namespace

SingleInstance::SingleInstance(std::string runtimeFolder, const std::string& programFileName, const QString& title) {
    if (runtimeFolder.empty()) return;
    marker_ = runtimeFolder + "/" + programFileName + ".marker";
    serverPath_ = QString::fromStdString(runtimeFolder) + QLatin1Char('/') + title;
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close();
    if (ownsMarker_) platform::RemoveFile(marker_);
}

bool SingleInstance::Start(platform::MessageService& messages) {
    if (marker_.empty()) {
        messages.Show(MessageType::Warning, Buttons::Ok, kCannotStart);
        return false;
    }
    // Looking for the marker and making it are one step, so two copies
    // started at the same moment cannot both run.
    bool made = false;
    try {
        made = platform::CreateFileExclusive(marker_, std::to_string(QCoreApplication::applicationPid()) + "\n");
    } catch (const platform::PlatformError&) {
        messages.Show(MessageType::Warning, Buttons::Ok, kCannotStart);
        return false;
    }
    if (made) {
        ownsMarker_ = true;
        Listen();
        return true;
    }

    QLocalSocket running;
    running.connectToServer(serverPath_);
    if (!running.waitForConnected(kConnectTimeoutMs)) {
        messages.Show(MessageType::Warning, Buttons::Ok, kStaleMarker);
        platform::RemoveFile(marker_);
        // The copy that left the marker also left its socket behind.
        QLocalServer::removeServer(serverPath_);
        return false;
    }
    messages.Show(MessageType::Warning, Buttons::Ok, kAlreadyRunning);
    if (running.state() == QLocalSocket::ConnectedState) {
        running.write(kShowRequest.data(), kShowRequest.size());
        running.waitForBytesWritten(kAnswerTimeoutMs);
        running.waitForReadyRead(kAnswerTimeoutMs);
    }
    return false;
}

void SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Answer);
    if (server_->listen(serverPath_)) return;
    if (server_->serverError() != QAbstractSocket::AddressInUseError) return;
    // A copy under another program file may answer under the same title;
    // otherwise the socket is a leftover of a run that did not end normally.
    if (Reachable(serverPath_)) return;
    QLocalServer::removeServer(serverPath_);
    server_->listen(serverPath_);
}

void SingleInstance::Answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            if (socket->readLine(64) == kShowRequest.toByteArray() && show_) show_();
            socket->write(kShown.data(), kShown.size());
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

}  // namespace korvalen::shell
