#include <gtest/gtest.h>

#include "korvalen/backup/archiver_options.h"

namespace korvalen::backup {
namespace {

TEST(ArchiverOptions, FreshSetGivesNoSwitch) {
    const TArchiverOptions options;
    for (const auto& property : SwitchProperties()) {
        switch (property.kind) {
            case TSwitchProperty::Number: EXPECT_EQ(options.*property.number, -1) << property.name; break;
            case TSwitchProperty::Text:
            case TSwitchProperty::Folder: EXPECT_TRUE((options.*property.text).empty()) << property.name; break;
            case TSwitchProperty::TextList: EXPECT_TRUE((options.*property.list).empty()) << property.name; break;
        }
    }
    EXPECT_TRUE(options.UserOptions.empty());
    EXPECT_TRUE(options.UserFileList.empty());
    EXPECT_TRUE(options.ResFileName.empty());
    EXPECT_EQ(options.PackFilter, pfComponent);
    EXPECT_EQ(options.ResFileUsage, (TResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem}));
    EXPECT_FALSE(options.ResFileUsage.Contains(ruOnUpdate));
}

// Gives every property a value of its own, so a property Assign forgets shows.
void FillAll(TArchiverOptions& options) {
    TSwitch next = 0;
    for (const auto& property : SwitchProperties()) {
        const std::string tag(property.name);
        switch (property.kind) {
            case TSwitchProperty::Number: options.*property.number = next++; break;
            case TSwitchProperty::Text:
            case TSwitchProperty::Folder: options.*property.text = "text-" + tag; break;
            case TSwitchProperty::TextList: options.*property.list = {"one-" + tag, "two-" + tag}; break;
        }
    }
    options.UserOptions = "-user";
    options.UserFileList = "list";
    options.PackFilter = pfArchiver;
    options.ResFileName = "res.txt";
    options.ResFileUsage = TResFileUsage{ruOnUpdate};
}

TEST(ArchiverOptions, AssignCopiesEverythingButResFileUsage) {
    TArchiverOptions source;
    FillAll(source);
    TArchiverOptions target;
    target.ResFileUsage = TResFileUsage{ruOnUnpack};
    target.Assign(source);

    for (const auto& property : SwitchProperties()) {
        switch (property.kind) {
            case TSwitchProperty::Number:
                EXPECT_EQ(target.*property.number, source.*property.number) << property.name;
                break;
            case TSwitchProperty::Text:
            case TSwitchProperty::Folder:
                EXPECT_EQ(target.*property.text, source.*property.text) << property.name;
                break;
            case TSwitchProperty::TextList:
                EXPECT_EQ(target.*property.list, source.*property.list) << property.name;
                break;
        }
    }
    EXPECT_EQ(target.UserOptions, "-user");
    EXPECT_EQ(target.UserFileList, "list");
    EXPECT_EQ(target.PackFilter, pfArchiver);
    EXPECT_EQ(target.ResFileName, "res.txt");
    EXPECT_EQ(target.ResFileUsage, TResFileUsage{ruOnUnpack});

    target.Assign(target);
    EXPECT_EQ(target.UserOptions, "-user");
}

TEST(ArchiverOptions, SwitchPropertiesStayInCommandOrder) {
    std::string names;
    for (const auto& property : SwitchProperties()) names += std::string(property.name) + " ";
    EXPECT_EQ(names,
              "a c e f h i l m n o p r s t u w x y z jc jd je jf jh ji jm jn jo job jp jr jsb jsc jsd jse jsf jsl jso "
              "jss jst jsv jsz jw jx jyc jyd jyk jyn jyo jz ga gd ge gf gj gm gn go gp gr gs gu gw ");
}

}  // namespace
}  // namespace korvalen::backup
