// The dialogs the main window's menus open, each made by a factory the
// program fills in. A dialog without a factory is not part of this build:
// its menu item says so instead of opening anything.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace korvalen::shell {

class TKorvalen01F;

struct ShellDialogs {
    // Creates the dialog over the main window (which it may ask for
    // RefreshCaseList, as the restore does); the window shows it modally and
    // destroys it afterwards.
    using Factory = std::function<std::unique_ptr<QDialog>(TKorvalen01F& mainWindow)>;

    Factory backupRestore;   // TKorvBUF: データのバックアップ＆復元
    Factory databaseFolder;  // TKorvALF: ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定
    Factory options;         // TKorvOPF: 環境設定
    Factory dateInput;       // TNEN4F: 日付入力方式の設定
};

}  // namespace korvalen::shell
