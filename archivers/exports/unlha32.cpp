// libunlha32: the LHA library, entries prefixed "Unlha".
#include "entries.h"

KRV_DEFINE_ARCHIVER_ENTRIES(Unlha, korvalen::archivers::ArchiveFormat::Lha)
