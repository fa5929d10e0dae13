// The factories of the maintenance menu's dialogs 環境設定 (K1) and
// ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定 (B2), as the program fills its ShellDialogs.
#pragma once

#include <string>

#include "korvalen/shell/select_folder.h"
#include "korvalen/shell/shell_dialogs.h"
#include "korvalen/shell/shell_services.h"

namespace korvalen::shell {

ShellDialogs::Factory OptionsDialogFactory(ShellServices services);

// `lastChosenFolder` is the folder 参照 chose last, kept for the run of the
// program; it and `chooser` (the platform's own when null) must outlive
// every dialog the factory makes.
ShellDialogs::Factory DatabaseFolderDialogFactory(ShellServices services, std::string& lastChosenFolder,
                                                  FileChooser* chooser = nullptr);

}  // namespace korvalen::shell
