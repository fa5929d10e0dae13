#include "korvalen/platform/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "korvalen/platform/errors.h"
#include "qt_text.h"

namespace korvalen::platform {

using detail::ToQ;

bool CreateFileExclusive(const std::string& path, std::string_view content) {
    QFile file(ToQ(path));
    // NewOnly is O_CREAT|O_EXCL (CREATE_NEW on Windows): the test and the
    // creation are one step, also on NFS and SMB shares.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(file.fileName())) {
            return false;
        }
        throw PlatformError("ファイルを作成できませんでした。\r\n" + path);
    }
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size || !file.flush()) {
        // A lock file without its content would name nobody; do not leave it.
        file.close();
        file.remove();
        throw PlatformError("ファイルを作成できませんでした。\r\n" + path);
    }
    return true;
}

bool RemoveFile(const std::string& path) { return FileExists(path) && QFile::remove(ToQ(path)); }

void RenameFile(const std::string& from, const std::string& to) {
    if (!QFile::rename(ToQ(from), ToQ(to))) {
        throw PlatformError("ファイル名を変更できませんでした。\r\n" + from + "\r\n" + to);
    }
}

bool FileExists(const std::string& path) {
    const QFileInfo info(ToQ(path));
    return info.exists() && !info.isDir();
}

bool FolderExists(const std::string& path) { return !path.empty() && QFileInfo(ToQ(path)).isDir(); }

void CreateFolders(const std::string& path) {
    if (path.empty() || !QDir().mkpath(ToQ(path))) {
        throw PlatformError("フォルダを作成できませんでした。\r\n" + path);
    }
}

}  // namespace korvalen::platform
