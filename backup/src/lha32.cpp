#include "korvalen/backup/lha32.h"

#include "korvalen/backup/archive_errors.h"

namespace korvalen::backup {

std::string LhaCommandText(std::string_view letter, const TArchiverCommand& request, bool ownerWindowSet,
                           std::optional<TResFileUse> listUse) {
    const TArchiverOptions& options = *request.options;
    if (letter == "x" && options.jse == kSwitchNotGiven) throw EAssertionFailed(std::string(messages::kJseNotSet));
    if (options.jso == kSwitchNotGiven) throw EAssertionFailed(std::string(messages::kJsoNotSet));

    TCmdOpt cmd;
    cmd.AddToken("-+");
    for (const auto& property : SwitchProperties()) {
        switch (property.kind) {
            case TSwitchProperty::Number: {
                TSwitch value = options.*property.number;
                // With an owner window the library must report to it, which n=1 asks for.
                if (property.name == "n" && ownerWindowSet) value = 1;
                cmd.AddSwitch(property.name, value);
                break;
            }
            case TSwitchProperty::Folder: cmd.AddNamedFolder(property.name, options.*property.text); break;
            case TSwitchProperty::Text: cmd.AddNamedText(property.name, options.*property.text); break;
            case TSwitchProperty::TextList:
                for (const auto& entry : options.*property.list) cmd.AddNamedText(property.name, entry);
                break;
        }
    }
    AddCommandTail(cmd, request, listUse);
    return std::string(letter) + cmd.Text();
}

std::string TLha32::BuildCommand(std::string_view letter, const TArchiverCommand& request,
                                 std::optional<TResFileUse> listUse) {
    return LhaCommandText(letter, request, HasOwnerWindow(), listUse);
}

int TLha32::Unpack(const TArchiverCommand& command) { return Run("x", command, ruOnUnpack); }

int TLha32::Pack(const TArchiverCommand& command) { return Run("u", command, ruOnPack); }

int TLha32::Delete(const TArchiverCommand& command) { return Run("d", command, ruOnRemoveItem); }

int TLha32::Update(const TArchiverCommand& command) { return Run("f", command, ruOnUpdate); }

int TLha32::MakeSfx(const TArchiverCommand& command) { return Run("s", command, std::nullopt); }

}  // namespace korvalen::backup
