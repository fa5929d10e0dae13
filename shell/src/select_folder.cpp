#include "korvalen/shell/select_folder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvalen::shell {

namespace {

QString ToQ(const std::string& text) { return QString::fromStdString(text); }
std::string FromQ(const QString& text) { return text.toStdString(); }

bool IsFolder(const std::string& path) { return !path.empty() && QFileInfo(ToQ(path)).isDir(); }

template <typename Answers, typename Requests, typename Request>
std::optional<std::string> Answer(Answers& answers, Requests& requests, const Request& request) {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

std::string ChooserRootFolder(const std::string& root) {
    if (root == kNetworkPlaces) {
        // Where shares are mounted on this system: the desktop's own mounts first.
        QStringList candidates;
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) candidates << runtime + QStringLiteral("/gvfs");
        candidates << QStringLiteral("/mnt") << QStringLiteral("/media");
        for (const QString& candidate : candidates) {
            if (QFileInfo(candidate).isDir()) return FromQ(candidate);
        }
        return FromQ(QDir::rootPath());
    }
    if (IsFolder(root)) return root;
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return FromQ(QFileInfo(desktop).isDir() ? desktop : QDir::homePath());
}

std::optional<std::string> PlatformFileChooser::ChooseFolder(QWidget* parent, const FolderRequest& request) {
    QFileDialog dialog(parent, request.caption);
    dialog.setObjectName(QStringLiteral("SelectFolder"));
    dialog.setAccessibleName(request.caption);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::Directory);
    // Folders of the file system only, and no new folder made from here.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly | QFileDialog::DontResolveSymlinks);
    dialog.setDirectory(ToQ(request.start.empty() ? ChooserRootFolder(request.root) : request.start));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return FromQ(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

std::optional<std::string> PlatformFileChooser::ChooseFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.caption, ToQ(request.folder), request.filter);
    dialog.setObjectName(request.objectName);
    dialog.setAccessibleName(request.caption.isEmpty() ? request.objectName : request.caption);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return FromQ(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

std::optional<std::string> ScriptedFileChooser::ChooseFolder(QWidget*, const FolderRequest& request) {
    return Answer(folders_, folderRequests_, request);
}

std::optional<std::string> ScriptedFileChooser::ChooseFile(QWidget*, const FileRequest& request) {
    return Answer(files_, fileRequests_, request);
}

bool SelectFolder(FileChooser& chooser, QWidget* parent, const QString& caption, const std::string& root,
                  std::string& folder) {
    if (!IsFolder(folder)) folder.clear();
    const std::optional<std::string> chosen = chooser.ChooseFolder(parent, FolderRequest{caption, root, folder});
    if (!chosen || chosen->empty()) return false;
    folder = *chosen;
    return true;
}

}  // namespace korvalen::shell
