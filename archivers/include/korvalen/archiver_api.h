/*
 * Calling interface of the two archiver libraries (libunlha32 and libcab32).
 *
 * Both libraries export the same family of entries, named by a prefix
 * ("Unlha" or "Cab") followed by a suffix; the main command entry is the
 * prefix alone ("Unlha", "Cab"). The bridge in backup/ loads a library at run
 * time and binds each entry by that name, so the names and signatures below
 * are the whole contract between them. Plain C, so that any loader can bind it.
 *
 * Texts are null-terminated byte strings. Command texts and file names are
 * UTF-8 on Linux; names stored inside archives are Shift-JIS (CP932).
 */
#ifndef KORVALEN_ARCHIVER_API_H
#define KORVALEN_ARCHIVER_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define KRV_ARC_CALL __stdcall
#else
#define KRV_ARC_CALL
#endif

/* A window handle, passed through as an opaque pointer-sized value. */
typedef uintptr_t ArcWindow;
/* An open archive; 0 means failure. */
typedef uintptr_t ArcHandle;

#pragma pack(push, 1)
/* The library's own 558-byte entry record, filled by FindFirst/FindNext. */
typedef struct ArcEntryRecord {
    uint32_t originalSize;   /* 0: uncompressed size (low 32 bits) */
    uint32_t compressedSize; /* 4: compressed size (low 32 bits) */
    uint32_t crc;            /* 8: CRC of the data as the format keeps it (CRC-16 for LHA, 0 for CAB) */
    uint16_t flag;           /* 12: reserved, 0 */
    uint16_t osType;         /* 14: LHA OS-ID byte, 0 for CAB */
    uint16_t ratio;          /* 16: compressed/original in per mille */
    uint32_t reserved;       /* 18: 0 */
    uint16_t dosDate;        /* 22: DOS date of the last write, local time */
    uint16_t dosTime;        /* 24: DOS time of the last write, local time */
    char fileName[513];      /* 26: stored path, UTF-8, "/" separators, null-terminated */
    char attribute[8]; /* 539: five letters, each or "-": d(folder) r(read-only) h s a(archive), null-terminated */
    char method[8];    /* 547: e.g. "-lh5-", "MSZIP", null-terminated */
    char padding[3];   /* 555 */
} ArcEntryRecord;

/* What the bridge keeps per entry: the library record, then the values of
 * the Get...Ex entries (or their fall-backs from the record). */
typedef struct ArcEntryInfo {
    ArcEntryRecord record;     /* 0 */
    uint64_t writeTime;        /* 558: file time, 100 ns units since 1601-01-01 UTC */
    uint64_t accessTime;       /* 566 */
    uint64_t createTime;       /* 574 */
    uint64_t originalSize64;   /* 582 */
    uint64_t compressedSize64; /* 590 */
} ArcEntryInfo;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(ArcEntryRecord) == 558, "entry record layout");
static_assert(sizeof(ArcEntryInfo) == 598, "entry info layout");
#endif

/* Return codes of the main command entry and ExtractMem: 0 is success. */
enum {
    ARC_OK = 0,
    ARC_ERR_BAD_COMMAND = 0x8001, /* command text cannot be parsed, unknown command or switch */
    ARC_ERR_NO_FILES = 0x8002,    /* nothing matched the given names */
    ARC_ERR_FILE_OPEN = 0x8003,   /* an input file or the archive cannot be opened or read */
    ARC_ERR_FILE_CREATE = 0x8004, /* an output file cannot be created or written */
    ARC_ERR_DISK_SPACE = 0x8005,  /* no space left on the device */
    ARC_ERR_NOT_ARCHIVE = 0x8006, /* not an archive of this format */
    ARC_ERR_BROKEN = 0x8007,      /* damaged headers or truncated archive */
    ARC_ERR_CRC = 0x8008,         /* data does not match its CRC or checksum */
    ARC_ERR_UNSAFE_PATH = 0x8009, /* a stored name would land outside the destination */
    ARC_ERR_MEMORY = 0x800A,      /* out of memory or a size beyond the library's bounds */
    ARC_ERR_UNSUPPORTED = 0x800B, /* compression method or feature not supported */
    ARC_ERR_HANDLE = 0x800C,      /* invalid archive handle */
    ARC_ERR_BUFFER = 0x800D,      /* a caller's buffer is too small */
    ARC_ERR_NAME = 0x800E,        /* a file name the archive format cannot store unchanged */
    ARC_ERR_CANCELLED = 0x8020    /* aborted by the user (also what the bridge returns on an aborted scan) */
};

/* Progress relay. There are no window messages here: SetOwnerWindowEx takes
 * the owner's relay function as its callback, and the library calls it for
 * that owner window while a command of the same window runs. The function
 * returns non-zero to abort the command (which then returns ARC_ERR_CANCELLED). */
enum {
    ARC_PROGRESS_BEGIN = 0, /* a member is about to be processed */
    ARC_PROGRESS_IN_PROCESS = 1,
    ARC_PROGRESS_END = 2,  /* the command has finished */
    ARC_PROGRESS_OPEN = 3, /* the archive has been opened */
    ARC_PROGRESS_COPY = 4  /* the archive is being copied into place */
};
typedef struct ArcProgressInfo {
    uint64_t totalSize;      /* size of the current member */
    uint64_t doneSize;       /* bytes of it processed so far */
    const char* fileName;    /* the member's name, UTF-8 */
    const char* archivePath; /* the archive, UTF-8 */
} ArcProgressInfo;
typedef int(KRV_ARC_CALL* ArcProgressFn)(ArcWindow window, uint32_t state, const ArcProgressInfo* info);

/* Entry signatures, for binding by name: Xxx = prefix + suffix. */
typedef int(KRV_ARC_CALL* ArcCommandFn)(ArcWindow window, const char* command, char* output, uint32_t outputSize);
typedef ArcHandle(KRV_ARC_CALL* ArcOpenArchiveFn)(ArcWindow window, const char* archivePath, uint32_t mode);
typedef int(KRV_ARC_CALL* ArcCloseArchiveFn)(ArcHandle archive);
typedef int(KRV_ARC_CALL* ArcFindFirstFn)(ArcHandle archive, const char* wildcard, ArcEntryRecord* entry);
typedef int(KRV_ARC_CALL* ArcFindNextFn)(ArcHandle archive, ArcEntryRecord* entry);
typedef int(KRV_ARC_CALL* ArcExtractMemFn)(ArcWindow window, const char* command, unsigned char* buffer,
                                           uint32_t bufferSize, int64_t* unixTime, uint16_t* attributes,
                                           uint32_t* written);
typedef int(KRV_ARC_CALL* ArcCheckArchiveFn)(const char* archivePath, int mode);
typedef int(KRV_ARC_CALL* ArcSetOwnerWindowExFn)(ArcWindow window, ArcProgressFn callback);
typedef int(KRV_ARC_CALL* ArcKillOwnerWindowExFn)(ArcWindow window);
typedef int(KRV_ARC_CALL* ArcGetTimeExFn)(ArcHandle archive, uint64_t* fileTime);
typedef int(KRV_ARC_CALL* ArcGetSizeExFn)(ArcHandle archive, uint64_t* size);
typedef int(KRV_ARC_CALL* ArcGetArchiveTypeFn)(const char* archivePath);

/* Suffixes of the entries (the main command entry has none). */
#define ARC_ENTRY_OPEN_ARCHIVE "OpenArchive"
#define ARC_ENTRY_CLOSE_ARCHIVE "CloseArchive"
#define ARC_ENTRY_FIND_FIRST "FindFirst"
#define ARC_ENTRY_FIND_NEXT "FindNext"
#define ARC_ENTRY_EXTRACT_MEM "ExtractMem"
#define ARC_ENTRY_CHECK_ARCHIVE "CheckArchive"
#define ARC_ENTRY_SET_OWNER_WINDOW_EX "SetOwnerWindowEx"
#define ARC_ENTRY_KILL_OWNER_WINDOW_EX "KillOwnerWindowEx"
#define ARC_ENTRY_GET_WRITE_TIME_EX "GetWriteTimeEx"
#define ARC_ENTRY_GET_CREATE_TIME_EX "GetCreateTimeEx"
#define ARC_ENTRY_GET_ACCESS_TIME_EX "GetAccessTimeEx"
#define ARC_ENTRY_GET_ORIGINAL_SIZE_EX "GetOriginalSizeEx"
#define ARC_ENTRY_GET_COMPRESSED_SIZE_EX "GetCompressedSizeEx"
#define ARC_ENTRY_GET_ARCHIVE_TYPE "GetArchiveType"

/* OpenArchive mode used to probe an archive by content. */
#define ARC_OPEN_PROBE 0x800002u
/* CheckArchive mode that tests every member's data against its CRC. */
#define ARC_CHECK_FULL_CRC 16

/* GetArchiveType results. */
enum { ARC_TYPE_UNKNOWN = 0, ARC_TYPE_LHA = 1, ARC_TYPE_CAB = 2, ARC_TYPE_ERROR = -1 };

#ifdef __cplusplus
}
#endif

#endif
