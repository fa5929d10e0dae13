// libcab32: the Cabinet library, entries prefixed "Cab".
#include "entries.h"

KRV_DEFINE_ARCHIVER_ENTRIES(Cab, korvalen::archivers::ArchiveFormat::Cab)
