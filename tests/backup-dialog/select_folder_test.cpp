// The folder chooser's rules on its folder argument, and where it starts.
#include "korvalen/shell/select_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::shell {
namespace {

TEST(SelectFolder, PreselectsOnlyAnExistingFolderAndChangesItOnlyWhenOneIsChosen) {
    testsupport::TempFolder temp;
    struct Case {
        std::string folder;
        std::optional<std::string> answer;
        bool chosen;
        std::string preselected, after;
    };
    const std::string existing = temp.folder();
    const std::string missing = temp.folder() + "missing/";
    const Case cases[] = {
        {existing, "/srv/chosen", true, existing, "/srv/chosen"},
        {existing, std::nullopt, false, existing, existing},
        {missing, std::nullopt, false, "", ""},
        {missing, "/srv/chosen", true, "", "/srv/chosen"},
        {"", std::nullopt, false, "", ""},
    };
    for (const Case& c : cases) {
        ScriptedFileChooser chooser;
        chooser.QueueFolder(c.answer);
        std::string folder = c.folder;
        EXPECT_EQ(SelectFolder(chooser, nullptr, QStringLiteral("フォルダの指定"), kNetworkPlaces, folder), c.chosen);
        ASSERT_EQ(chooser.FolderRequests().size(), 1u);
        EXPECT_EQ(chooser.FolderRequests()[0].start, c.preselected) << c.folder;
        EXPECT_EQ(chooser.FolderRequests()[0].root, kNetworkPlaces);
        EXPECT_EQ(chooser.FolderRequests()[0].caption, QStringLiteral("フォルダの指定"));
        EXPECT_EQ(folder, c.after) << c.folder;
    }
}

TEST(SelectFolder, StartsAtTheRootTheDesktopOrTheNetworkMounts) {
    testsupport::TempFolder temp;
    EXPECT_EQ(ChooserRootFolder(temp.path().string()), temp.path().string());
    for (const std::string& root : {std::string(), std::string(kNetworkPlaces), temp.folder() + "missing"}) {
        EXPECT_TRUE(QFileInfo(QString::fromStdString(ChooserRootFolder(root))).isDir()) << root;
    }
}

}  // namespace
}  // namespace korvalen::shell
