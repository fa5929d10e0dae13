// The entry family behind both libraries' exported names. Every function
// here catches everything: callers bind these by name from C.
#pragma once

#include <cstdint>

#include "archive_reader.h"
#include "korvalen/archiver_api.h"

namespace korvalen::archivers::entries {

int command(ArchiveFormat f, ArcWindow window, const char* text, char* output, uint32_t outputSize);
ArcHandle openArchive(ArchiveFormat f, ArcWindow window, const char* path, uint32_t mode);
int closeArchive(ArcHandle h);
// 0: an entry was found; -1: no more; otherwise an ARC_ERR_* code.
int findFirst(ArcHandle h, const char* wildcard, ArcEntryRecord* entry);
int findNext(ArcHandle h, ArcEntryRecord* entry);
int extractMem(ArchiveFormat f, ArcWindow window, const char* text, unsigned char* buffer, uint32_t size,
               int64_t* unixTime, uint16_t* attributes, uint32_t* written);
int checkArchive(ArchiveFormat f, const char* path, int mode);
int setOwnerWindowEx(ArcWindow window, ArcProgressFn callback);
int killOwnerWindowEx(ArcWindow window);
int getWriteTimeEx(ArcHandle h, uint64_t* fileTime);
int getCreateTimeEx(ArcHandle h, uint64_t* fileTime);
int getAccessTimeEx(ArcHandle h, uint64_t* fileTime);
int getOriginalSizeEx(ArcHandle h, uint64_t* size);
int getCompressedSizeEx(ArcHandle h, uint64_t* size);
int getArchiveType(const char* path);

}  // namespace korvalen::archivers::entries

#define KRV_ARC_EXPORT extern "C" __attribute__((visibility("default")))

// Defines the exported entries of one library: PREFIX alone is the main
// command entry, PREFIX##Suffix the others.
#define KRV_DEFINE_ARCHIVER_ENTRIES(PREFIX, FORMAT)                                                                  \
    namespace ent = korvalen::archivers::entries;                                                                    \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX(ArcWindow w, const char* c, char* o, uint32_t n) {                        \
        return ent::command(FORMAT, w, c, o, n);                                                                     \
    }                                                                                                                \
    KRV_ARC_EXPORT ArcHandle KRV_ARC_CALL PREFIX##OpenArchive(ArcWindow w, const char* p, uint32_t m) {              \
        return ent::openArchive(FORMAT, w, p, m);                                                                    \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##CloseArchive(ArcHandle h) { return ent::closeArchive(h); }               \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##FindFirst(ArcHandle h, const char* w, ArcEntryRecord* e) {               \
        return ent::findFirst(h, w, e);                                                                              \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##FindNext(ArcHandle h, ArcEntryRecord* e) { return ent::findNext(h, e); } \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##ExtractMem(ArcWindow w, const char* c, unsigned char* b, uint32_t n,     \
                                                       int64_t* t, uint16_t* a, uint32_t* s) {                       \
        return ent::extractMem(FORMAT, w, c, b, n, t, a, s);                                                         \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##CheckArchive(const char* p, int m) {                                     \
        return ent::checkArchive(FORMAT, p, m);                                                                      \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##SetOwnerWindowEx(ArcWindow w, ArcProgressFn f) {                         \
        return ent::setOwnerWindowEx(w, f);                                                                          \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##KillOwnerWindowEx(ArcWindow w) { return ent::killOwnerWindowEx(w); }     \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetWriteTimeEx(ArcHandle h, uint64_t* t) {                               \
        return ent::getWriteTimeEx(h, t);                                                                            \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetCreateTimeEx(ArcHandle h, uint64_t* t) {                              \
        return ent::getCreateTimeEx(h, t);                                                                           \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetAccessTimeEx(ArcHandle h, uint64_t* t) {                              \
        return ent::getAccessTimeEx(h, t);                                                                           \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetOriginalSizeEx(ArcHandle h, uint64_t* s) {                            \
        return ent::getOriginalSizeEx(h, s);                                                                         \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetCompressedSizeEx(ArcHandle h, uint64_t* s) {                          \
        return ent::getCompressedSizeEx(h, s);                                                                       \
    }                                                                                                                \
    KRV_ARC_EXPORT int KRV_ARC_CALL PREFIX##GetArchiveType(const char* p) { return ent::getArchiveType(p); }
