#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "korvalen/platform/machine_info.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/storage/data_module.h"

namespace korvalen::storage {

std::string FileSystemOf(const std::string& path) {
    QString probe = QDir::cleanPath(QString::fromStdString(path));
    if (probe.isEmpty()) return {};
    // A folder still to be created lives on the file system of the nearest
    // folder above it that exists.
    while (!QFileInfo::exists(probe)) {
        const QString parent = QFileInfo(probe).absolutePath();
        if (parent == probe) return {};
        probe = parent;
    }
    const QStorageInfo storage(probe);
    return storage.isValid() ? storage.rootPath().toStdString() : std::string();
}

MachineFacts MachineFacts::OfThisPc() {
    return MachineFacts{platform::ProgramFolder(), platform::ComputerName(), platform::RegisteredOwner(),
                        platform::ProgramFileVersion(), FileSystemOf};
}

}  // namespace korvalen::storage
