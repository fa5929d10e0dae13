// The folder chooser of the program (SelectFolder) and the file chooser of
// its dialogs, behind one interface so that tests answer them as they
// answer message boxes.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace korvalen::shell {

// The shell's name of the network places, which the database-folder dialog
// passes as the chooser's root.
inline constexpr const char* kNetworkPlaces = "::{208D2C60-3AEA-1069-A2D7-08002B30309D}";

struct FolderRequest {
    QString caption;    // the chooser's instruction text
    std::string root;   // the top of the tree: a folder; empty for the desktop
    std::string start;  // preselected folder; empty for none
};

struct FileRequest {
    QString caption;
    std::string folder;     // where the chooser opens
    QString filter;         // "圧縮ファイル (*.LZH)"
    QString defaultSuffix;  // "LZH"
    QString objectName;     // the dialog's component name ("OpenDialog1")
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen folder's path; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(QWidget* parent, const FolderRequest& request) = 0;
    // The chosen file's path; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(QWidget* parent, const FileRequest& request) = 0;
};

// The platform's own dialogs (QFileDialog): modal over the whole program,
// folders only and no button for new folders in the folder chooser.
class PlatformFileChooser final : public FileChooser {
public:
    std::optional<std::string> ChooseFolder(QWidget* parent, const FolderRequest& request) override;
    std::optional<std::string> ChooseFile(QWidget* parent, const FileRequest& request) override;
};

// Answers from a queue and records what was asked, for tests: an empty
// answer stands for Cancel. Asked with nothing queued, it cancels.
class ScriptedFileChooser final : public FileChooser {
public:
    void QueueFolder(std::optional<std::string> answer) { folders_.push_back(std::move(answer)); }
    void QueueFile(std::optional<std::string> answer) { files_.push_back(std::move(answer)); }
    const std::vector<FolderRequest>& FolderRequests() const { return folderRequests_; }
    const std::vector<FileRequest>& FileRequests() const { return fileRequests_; }

    std::optional<std::string> ChooseFolder(QWidget* parent, const FolderRequest& request) override;
    std::optional<std::string> ChooseFile(QWidget* parent, const FileRequest& request) override;

private:
    std::deque<std::optional<std::string>> folders_;
    std::deque<std::optional<std::string>> files_;
    std::vector<FolderRequest> folderRequests_;
    std::vector<FileRequest> fileRequests_;
};

// The folder where a chooser rooted at `root` starts: the root itself when
// it is a folder, the network mounts for kNetworkPlaces, and the desktop
// (or the home folder) when it is empty.
std::string ChooserRootFolder(const std::string& root);

// The folder chooser. `folder` is preselected when it names an existing
// folder, and emptied first otherwise. True when the user chose a folder:
// `folder` is then its path; false leaves `folder` as it was (or empty).
bool SelectFolder(FileChooser& chooser, QWidget* parent, const QString& caption, const std::string& root,
                  std::string& folder);

}  // namespace korvalen::shell
