#include "korvalen/platform/program_info.h"

#include <QDir>
#include <QFileInfo>

#include "korvalen/platform/paths.h"
#include "qt_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace korvalen::platform {

using detail::FromQ;
using detail::ToQ;

namespace {

// The program folder is a process-wide value; tests replace it.
std::optional<std::string>& FolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

std::string RunningProgramFile() {
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return FromQ(QString::fromStdWString(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    return FromQ(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
#endif
}

}  // namespace

std::string ProgramFileVersion() { return KORVALEN_FILE_VERSION; }

std::string MajorVersionOf(std::string_view version) { return std::string(version.substr(0, version.find('.'))); }

std::string ProgramKeyFor(std::string_view version) { return "Software\\vex\\Korvalen_" + MajorVersionOf(version); }

std::string ProgramKey() { return ProgramKeyFor(ProgramFileVersion()); }

std::string ProgramFolder() {
    if (FolderOverride()) {
        return *FolderOverride();
    }
    const QString file = ToQ(RunningProgramFile());
    if (file.isEmpty()) {
        return {};
    }
    return WithTrailingSeparator(FromQ(QDir::toNativeSeparators(QFileInfo(file).absolutePath())));
}

void OverrideProgramFolder(std::optional<std::string> folder) {
    if (folder) {
        folder = WithTrailingSeparator(std::move(*folder));
    }
    FolderOverride() = std::move(folder);
}

}  // namespace korvalen::platform
