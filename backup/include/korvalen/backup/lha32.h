// The LHA format object, driving UNLHA32.DLL.
#pragma once

#include "korvalen/backup/library_archiver.h"

namespace korvalen::backup {

class TLha32 : public TLibraryArchiver {
public:
    TLha32() : TLibraryArchiver(TArchiverLibraryKind::Lha) {}

    int Unpack(const TArchiverCommand& command) override;   // "x"
    int Pack(const TArchiverCommand& command) override;     // "u"
    int Delete(const TArchiverCommand& command) override;   // "d"
    int Update(const TArchiverCommand& command) override;   // "f"
    int MakeSfx(const TArchiverCommand& command) override;  // "s"

protected:
    std::string BuildCommand(std::string_view letter, const TArchiverCommand& request,
                             std::optional<TResFileUse> listUse) override;
};

// The LHA command text: the letter, "-+", every given switch in property
// order, then the common tail. An owner window forces n to 1. Raises
// EAssertionFailed when jso (or, for "x", jse) is not given.
std::string LhaCommandText(std::string_view letter, const TArchiverCommand& request, bool ownerWindowSet,
                           std::optional<TResFileUse> listUse);

}  // namespace korvalen::backup
