#include "korvalen/backup/native_path.h"

#include <QDir>
#include <QFileInfo>

#include "korvalen/platform/paths.h"

namespace korvalen::backup {

bool IsNameDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string FolderPart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsNameDelimiter(path[i - 1])) return std::string(path.substr(0, i));
    }
    return {};
}

std::string NamePart(std::string_view path) { return std::string(path.substr(FolderPart(path).size())); }

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string joined(folder);
    if (joined.back() != platform::kPathSeparator) joined += platform::kPathSeparator;
    joined += name;
    return joined;
}

std::string AbsolutePath(std::string_view path) {
    if (path.empty()) return {};
    const QString absolute = QDir::cleanPath(QFileInfo(ToQString(path)).absoluteFilePath());
    return FromQString(QDir::toNativeSeparators(absolute));
}

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQString(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace korvalen::backup
