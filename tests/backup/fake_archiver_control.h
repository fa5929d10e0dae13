/* What a test sees of a fake archiver library: the calls it received and the
 * answers it gives. Each built fake (one per prefix and variant) has its own. */
#ifndef KORVALEN_TESTS_FAKE_ARCHIVER_CONTROL_H
#define KORVALEN_TESTS_FAKE_ARCHIVER_CONTROL_H

#include "korvalen/archiver_api.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeArcState {
    /* main command entry */
    int commandCalls;
    char lastCommand[8192];
    ArcWindow lastWindow;
    int lastOutputWasNull;
    uint32_t lastOutputSize;
    int commandResult;   /* returned by the main entry */
    char outputText[64]; /* written into the caller's output buffer */

    /* owner window and progress */
    ArcWindow ownerWindow;
    ArcProgressFn ownerCallback;
    int progressReports; /* reports per command whose window is the owner */
    int progressAnswers; /* how many of them the callback answered */

    /* archive entries */
    char magic[8]; /* files starting with it open and check as archives */
    uint32_t lastOpenMode;
    int lastCheckMode;
    char lastOpenPath[1024];
    ArcEntryRecord entry;  /* what FindFirst returns */
    uint64_t writeTime;    /* what GetWriteTimeEx answers */
    uint64_t originalSize; /* what GetOriginalSizeEx answers */

    /* every entry called, in order, each name followed by one blank */
    char calls[4096];
} FakeArcState;

typedef FakeArcState* (*FakeArcControlFn)(void);
typedef void (*FakeArcResetFn)(void);

#ifdef __cplusplus
}
#endif

#endif
