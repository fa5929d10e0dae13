#include "korvalen/platform/drive_kind.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "korvalen/platform/paths.h"
#include "qt_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#endif

namespace korvalen::platform {

using detail::FromQ;
using detail::ToQ;

namespace {

// statfs magic numbers of network file systems (linux/magic.h and the
// file systems' own sources).
constexpr std::array<std::uint64_t, 11> kNetworkMagics = {
    0x6969,      // NFS
    0x517B,      // SMB (smbfs)
    0xFE534D42,  // SMB2/3 (ksmbd client, cifs.ko with smb3)
    0xFF534D42,  // CIFS
    0x564C,      // NCP
    0x5346414F,  // OpenAFS
    0x6B414653,  // kAFS
    0x00C36400,  // Ceph
    0x01021997,  // 9p (v9fs)
    0x73757245,  // Coda
    0x0BD00BD0,  // Lustre
};

// Mount type names of network file systems, including FUSE ones: FUSE
// itself has one magic for local and remote alike, so its mounts are told
// apart by the name in mountinfo.
constexpr std::array<std::string_view, 24> kNetworkTypes = {
    "nfs",
    "nfs4",
    "cifs",
    "smb3",
    "smbfs",
    "ncpfs",
    "afs",
    "ceph",
    "9p",
    "coda",
    "lustre",
    "glusterfs",
    "davfs",
    "remote",
    "fuse.sshfs",
    "fuse.rclone",
    "fuse.s3fs",
    "fuse.glusterfs",
    "fuse.ceph-fuse",
    "fuse.gvfsd-fuse",
    "fuse.smbnetfs",
    "fuse.curlftpfs",
    "fuse.davfs2",
    "fuse.gcsfuse",
};

// mountinfo writes blanks and a few other bytes as octal escapes ("\040").
std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

// The folder itself when it exists, else its parent when that exists.
std::optional<std::string> ExistingProbe(const std::string& folder) {
    QString path = QDir::cleanPath(ToQ(folder));
    if (QFileInfo(path).isDir()) {
        return FromQ(path);
    }
    const QFileInfo parent(QFileInfo(path).absolutePath());
    if (parent.isDir()) {
        return FromQ(parent.filePath());
    }
    return std::nullopt;
}

bool IsAbsoluteFolder(const std::string& folder) {
#ifdef _WIN32
    return folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
#else
    return !folder.empty() && folder[0] == '/';
#endif
}

}  // namespace

std::string FsTypeForDevice(std::string_view mountinfo, unsigned major, unsigned minor) {
    const std::string device = std::to_string(major) + ":" + std::to_string(minor);
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        std::istringstream fields(line);
        std::string id, parent, dev;
        if (!(fields >> id >> parent >> dev) || dev != device) {
            continue;
        }
        std::string field;
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (field == "-" && fields >> type) {
            // Later lines are mounts stacked on top; the last one is in effect.
            found = Unescaped(type);
        }
    }
    return found;
}

std::optional<MountFacts> ReadMountFacts(const std::string& existingPath) {
#ifdef _WIN32
    const QString root = QDir::toNativeSeparators(ToQ(existingPath).left(3));
    switch (GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.utf16()))) {
        case DRIVE_UNKNOWN:
        case DRIVE_NO_ROOT_DIR: return std::nullopt;
        case DRIVE_REMOTE: return MountFacts{0, "remote"};
        default: return MountFacts{0, "local"};
    }
#else
    struct statfs fs {};
    struct stat st {};
    if (statfs(existingPath.c_str(), &fs) != 0 || stat(existingPath.c_str(), &st) != 0) {
        return std::nullopt;
    }
    MountFacts facts;
    facts.magic = static_cast<std::uint64_t>(static_cast<std::uint32_t>(fs.f_type));
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    facts.fsType = FsTypeForDevice(text.str(), major(st.st_dev), minor(st.st_dev));
    return facts;
#endif
}

bool IsNetworkFileSystem(const MountFacts& facts) {
    return std::find(kNetworkMagics.begin(), kNetworkMagics.end(), facts.magic) != kNetworkMagics.end() ||
           std::find(kNetworkTypes.begin(), kNetworkTypes.end(), facts.fsType) != kNetworkTypes.end();
}

SystemDriveClassifier::SystemDriveClassifier(MountReader reader) : reader_(std::move(reader)) {}

DriveKind SystemDriveClassifier::KindOf(const std::string& folder) const {
    if (IsUncPath(folder)) {
        return DriveKind::Unc;
    }
    if (!IsAbsoluteFolder(folder)) {
        return DriveKind::Unconfirmed;
    }
    const auto probe = ExistingProbe(folder);
    if (!probe) {
        return DriveKind::Unconfirmed;
    }
    const auto facts = reader_(*probe);
    if (!facts) {
        return DriveKind::Unconfirmed;
    }
    return IsNetworkFileSystem(*facts) ? DriveKind::Network : DriveKind::Local;
}

}  // namespace korvalen::platform
