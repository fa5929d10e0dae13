#include <gtest/gtest.h>

#include <filesystem>

#include "korvalen/platform/drive_kind.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::platform {
namespace {

using korvalen::testsupport::TempFolder;

TEST(IsNetworkFileSystem, KnowsNetworkMagicsAndMountTypes) {
    struct Case {
        std::uint64_t magic;
        const char* type;
        bool network;
    };
    const Case cases[] = {
        {0xEF53, "ext4", false},
        {0x9123683E, "btrfs", false},
        {0x01021994, "tmpfs", false},
        {0x794C7630, "overlay", false},
        {0x6969, "nfs4", true},
        {0x6969, "", true},
        {0xFF534D42, "cifs", true},
        {0xFE534D42, "smb3", true},
        {0x517B, "smbfs", true},
        {0x00C36400, "ceph", true},
        {0x01021997, "9p", true},
        {0x6B414653, "afs", true},
        {0x65735546, "fuse.sshfs", true},
        {0x65735546, "fuse.glusterfs", true},
        {0x65735546, "fuse.rclone", true},
        {0x65735546, "fuse.ntfs-3g", false},
        {0x65735546, "fuseblk", false},
        {0, "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNetworkFileSystem(MountFacts{c.magic, c.type}), c.network) << std::hex << c.magic << " " << c.type;
    }
}

TEST(FsTypeForDevice, FindsTheMountOfADeviceInMountinfo) {
    const std::string mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 0:45 / /mnt/server rw,nosuid shared:20 master:3 - fuse.sshfs yamada@server:/srv rw,user_id=0\n"
        "41 22 0:46 / /mnt/nas\\040share rw - cifs //nas/share rw,vers=3.0\n"
        "50 41 0:47 / /mnt/nas\\040share rw - nfs4 nas:/export rw\n"
        "51 22 0:48 / /mnt/odd rw - my\\040fs none rw\n";
    EXPECT_EQ(FsTypeForDevice(mountinfo, 8, 1), "ext4");
    EXPECT_EQ(FsTypeForDevice(mountinfo, 0, 45), "fuse.sshfs");
    EXPECT_EQ(FsTypeForDevice(mountinfo, 0, 46), "cifs");
    EXPECT_EQ(FsTypeForDevice(mountinfo, 0, 48), "my fs");
    EXPECT_EQ(FsTypeForDevice(mountinfo, 0, 4), "");
    EXPECT_EQ(FsTypeForDevice("garbage\n\n1 2\n", 8, 1), "");
}

// A classifier whose file systems are played by the test; it notes the
// paths it was asked about.
struct FakeMounts {
    std::optional<MountFacts> answer;
    std::vector<std::string> asked;

    SystemDriveClassifier Classifier() {
        return SystemDriveClassifier([this](const std::string& path) {
            asked.push_back(path);
            return answer;
        });
    }
};

TEST(SystemDriveClassifier, JudgesAFolderByWhereItIsOrWillBeCreated) {
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() / "vex/Korvalen/KorvalenDB");
    const std::string existing = tmp / "vex/Korvalen/KorvalenDB/";
    const std::string toBeCreated = tmp / "vex/Other/KorvalenDB/";
    std::filesystem::create_directories(tmp.path() / "vex/Other");

    FakeMounts mounts;
    mounts.answer = MountFacts{0x6969, "nfs"};
    const auto classifier = mounts.Classifier();
    EXPECT_EQ(classifier.KindOf(existing), DriveKind::Network);
    EXPECT_EQ(classifier.KindOf(toBeCreated), DriveKind::Network);
    ASSERT_EQ(mounts.asked.size(), 2u);
    EXPECT_EQ(mounts.asked[0], tmp / "vex/Korvalen/KorvalenDB");
    EXPECT_EQ(mounts.asked[1], tmp / "vex/Other");

    mounts.answer = MountFacts{0xEF53, "ext4"};
    EXPECT_EQ(classifier.KindOf(existing), DriveKind::Local);
    mounts.answer = std::nullopt;
    EXPECT_EQ(classifier.KindOf(existing), DriveKind::Unconfirmed);
}

TEST(SystemDriveClassifier, SharesAndUnreachableFoldersNeedNoFileSystem) {
    TempFolder tmp;
    FakeMounts mounts;
    mounts.answer = MountFacts{0xEF53, "ext4"};
    const auto classifier = mounts.Classifier();
    const std::pair<std::string, DriveKind> cases[] = {
        {"\\\\server\\share\\KorvalenDB\\", DriveKind::Unc},
        {"//server/share/KorvalenDB/", DriveKind::Unc},
        {tmp / "unmounted/share/KorvalenDB/", DriveKind::Unconfirmed},
        {"", DriveKind::Unconfirmed},
        {"KorvalenDB/", DriveKind::Unconfirmed},
    };
    for (const auto& [folder, kind] : cases) {
        EXPECT_EQ(classifier.KindOf(folder), kind) << folder;
    }
    EXPECT_TRUE(mounts.asked.empty());
}

TEST(SystemDriveClassifier, TheRealSystemSeesATemporaryFolderAsLocal) {
    TempFolder tmp;
    const auto facts = ReadMountFacts(tmp.path().string());
    ASSERT_TRUE(facts.has_value());
    EXPECT_NE(facts->magic, 0u);
    EXPECT_FALSE(facts->fsType.empty()) << "the temporary folder's mount was not found in mountinfo";
    EXPECT_EQ(SystemDriveClassifier().KindOf(tmp / "KorvalenDB/"), DriveKind::Local);
    EXPECT_FALSE(ReadMountFacts(tmp / "missing").has_value());
}

}  // namespace
}  // namespace korvalen::platform
