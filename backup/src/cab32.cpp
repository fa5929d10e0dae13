#include "korvalen/backup/cab32.h"

#include "korvalen/backup/native_path.h"

namespace korvalen::backup {

std::string CabCommandText(std::string_view command, const TArchiverCommand& request, bool ownerWindowSet,
                           std::optional<TResFileUse> listUse) {
    const TArchiverOptions& options = *request.options;
    TCmdOpt cmd;
    if (options.c == 1) cmd.AddToken("-o");
    if (options.n > 0 || ownerWindowSet) cmd.AddToken("-i");
    if (options.r > 0) cmd.AddToken("-r");
    cmd.AddNamedFolder("h", options.w);
    if (options.x == 0) cmd.AddToken("-j");
    if (options.ji > 0) cmd.AddToken("-q");
    AddCommandTail(cmd, request, listUse);
    return std::string(command) + cmd.Text();
}

std::string TCab32::BuildCommand(std::string_view command, const TArchiverCommand& request,
                                 std::optional<TResFileUse> listUse) {
    return CabCommandText(command, request, HasOwnerWindow(), listUse);
}

int TCab32::Unpack(const TArchiverCommand& command) {
    TArchiverCommand absolute = command;
    absolute.archivePath = AbsolutePath(command.archivePath);
    return Run("-x", absolute, ruOnUnpack);
}

int TCab32::Pack(const TArchiverCommand& command) { return Run("-a", command, ruOnPack); }

int TCab32::MakeSfx(const TArchiverCommand& command) { return Run("-f", command, std::nullopt); }

}  // namespace korvalen::backup
