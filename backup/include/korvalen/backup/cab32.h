// The CAB format object, driving CAB32.DLL. It cannot delete or update.
#pragma once

#include "korvalen/backup/library_archiver.h"

namespace korvalen::backup {

class TCab32 : public TLibraryArchiver {
public:
    TCab32() : TLibraryArchiver(TArchiverLibraryKind::Cab) {}

    int Unpack(const TArchiverCommand& command) override;   // "-x", archive path made absolute
    int Pack(const TArchiverCommand& command) override;     // "-a"
    int MakeSfx(const TArchiverCommand& command) override;  // "-f"

protected:
    std::string BuildCommand(std::string_view command, const TArchiverCommand& request,
                             std::optional<TResFileUse> listUse) override;
};

// The CAB command text: the command, the few switches CAB32 knows
// ("-o", "-i", "-r", "-h", "-j", "-q"), then the common tail.
std::string CabCommandText(std::string_view command, const TArchiverCommand& request, bool ownerWindowSet,
                           std::optional<TResFileUse> listUse);

}  // namespace korvalen::backup
