#include "korvalen/shell/maintenance_dialogs.h"

#include "korvalen/shell/korv_al.h"
#include "korvalen/shell/korv_op.h"
#include "korvalen/shell/main_window.h"

namespace korvalen::shell {

ShellDialogs::Factory OptionsDialogFactory(ShellServices services) {
    return [services](TKorvalen01F& window) -> std::unique_ptr<QDialog> {
        return std::make_unique<TKorvOPF>(services, &window);
    };
}

ShellDialogs::Factory DatabaseFolderDialogFactory(ShellServices services, std::string& lastChosenFolder,
                                                  FileChooser* chooser) {
    return [services, &lastChosenFolder, chooser](TKorvalen01F& window) -> std::unique_ptr<QDialog> {
        return std::make_unique<TKorvALF>(services, lastChosenFolder, chooser, &window);
    };
}

}  // namespace korvalen::shell
