#ifndef KORVALEN_PLATFORM_DRIVE_KIND_H
#define KORVALEN_PLATFORM_DRIVE_KIND_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvalen::platform {

// Where a database folder lives, as far as this PC can tell.
enum class DriveKind {
    Local,        // a disk of this PC
    Network,      // a network file system (NFS, SMB/CIFS, sshfs, ...)
    Unc,          // written as a share name: "\\server\share\..." or "//server/share/..."
    Unconfirmed,  // the folder's parent does not exist (a share that is not
                  // mounted), or the path is empty or relative
};

// Classifies database folders; storage tests put in their own to play a
// network drive or an unmounted share.
class DriveClassifier {
public:
    virtual ~DriveClassifier() = default;
    virtual DriveKind KindOf(const std::string& folder) const = 0;
};

// What the system says about the file system that holds an existing path:
// the statfs magic number and the type name of its mount ("ext4", "nfs4",
// "fuse.sshfs"); either may be unknown (0, empty).
struct MountFacts {
    std::uint64_t magic = 0;
    std::string fsType;
};

// Reads the facts for an existing path; nothing when the system cannot tell.
using MountReader = std::function<std::optional<MountFacts>(const std::string& existingPath)>;
std::optional<MountFacts> ReadMountFacts(const std::string& existingPath);

// Whether the facts name a network file system.
bool IsNetworkFileSystem(const MountFacts& facts);

// The type name of the mount with device `major:minor` in the text of
// /proc/self/mountinfo; empty when no line has that device.
std::string FsTypeForDevice(std::string_view mountinfo, unsigned major, unsigned minor);

// The classifier of the running system. The folder is tested where it
// exists, else its parent, so a database folder that is still to be created
// is judged by the place it will be created in.
class SystemDriveClassifier final : public DriveClassifier {
public:
    explicit SystemDriveClassifier(MountReader reader = ReadMountFacts);
    DriveKind KindOf(const std::string& folder) const override;

private:
    MountReader reader_;
};

}  // namespace korvalen::platform

#endif
