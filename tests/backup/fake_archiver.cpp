// A stand-in archiver library: it archives nothing, it records what it was
// asked. Built once per entry prefix (FAKE_PREFIX); with FAKE_PARTIAL the
// CheckArchive entry and the 64-bit time and size entries are left out.
#include <cstdio>
#include <cstring>

#include "fake_archiver_control.h"

#define FAKE_JOIN2(a, b) a##b
#define FAKE_JOIN(a, b) FAKE_JOIN2(a, b)
#define FAKE_ENTRY(suffix) FAKE_JOIN(FAKE_PREFIX, suffix)
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeArcState state;

void Note(const char* entry) {
    std::strncat(state.calls, entry, sizeof state.calls - std::strlen(state.calls) - 2);
    std::strncat(state.calls, " ", sizeof state.calls - std::strlen(state.calls) - 1);
}

void Copy(char* to, std::size_t size, const char* from) { std::snprintf(to, size, "%s", from != nullptr ? from : ""); }

bool StartsWithMagic(const char* path) {
    if (path == nullptr) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char head[8] = {};
    const std::size_t read = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    const std::size_t need = std::strlen(state.magic);
    return need > 0 && read >= need && std::memcmp(head, state.magic, need) == 0;
}

}  // namespace

FAKE_EXPORT FakeArcState* FakeArcControl(void) { return &state; }

FAKE_EXPORT void FakeArcReset(void) {
    state = FakeArcState{};
    Copy(state.outputText, sizeof state.outputText, "fake output");
}

FAKE_EXPORT int FAKE_PREFIX(ArcWindow window, const char* command, char* output, uint32_t outputSize) {
    Note("Command");
    ++state.commandCalls;
    Copy(state.lastCommand, sizeof state.lastCommand, command);
    state.lastWindow = window;
    state.lastOutputWasNull = output == nullptr;
    state.lastOutputSize = outputSize;
    if (state.ownerCallback != nullptr && window == state.ownerWindow) {
        for (int i = 0; i < state.progressReports; ++i) {
            const ArcProgressInfo info{100, static_cast<uint64_t>(i), "member.dat", "archive"};
            ++state.progressAnswers;
            if (state.ownerCallback(window, ARC_PROGRESS_IN_PROCESS, &info) != 0) return ARC_ERR_CANCELLED;
        }
    }
    if (output != nullptr && outputSize > 0) Copy(output, outputSize, state.outputText);
    return state.commandResult;
}

FAKE_EXPORT ArcHandle FAKE_ENTRY(OpenArchive)(ArcWindow, const char* archivePath, uint32_t mode) {
    Note("OpenArchive");
    state.lastOpenMode = mode;
    Copy(state.lastOpenPath, sizeof state.lastOpenPath, archivePath);
    return StartsWithMagic(archivePath) ? 1 : 0;
}

FAKE_EXPORT int FAKE_ENTRY(CloseArchive)(ArcHandle) {
    Note("CloseArchive");
    return 0;
}

FAKE_EXPORT int FAKE_ENTRY(FindFirst)(ArcHandle, const char*, ArcEntryRecord* entry) {
    Note("FindFirst");
    *entry = state.entry;
    return 0;
}

FAKE_EXPORT int FAKE_ENTRY(FindNext)(ArcHandle, ArcEntryRecord*) {
    Note("FindNext");
    return -1;
}

FAKE_EXPORT int FAKE_ENTRY(ExtractMem)(ArcWindow, const char* command, unsigned char*, uint32_t, int64_t*, uint16_t*,
                                       uint32_t* written) {
    Note("ExtractMem");
    Copy(state.lastCommand, sizeof state.lastCommand, command);
    if (written != nullptr) *written = 0;
    return 0;
}

#ifndef FAKE_PARTIAL
FAKE_EXPORT int FAKE_ENTRY(CheckArchive)(const char* archivePath, int mode) {
    Note("CheckArchive");
    state.lastCheckMode = mode;
    return StartsWithMagic(archivePath) ? 1 : 0;
}
#endif

FAKE_EXPORT int FAKE_ENTRY(SetOwnerWindowEx)(ArcWindow window, ArcProgressFn callback) {
    Note("SetOwnerWindowEx");
    state.ownerWindow = window;
    state.ownerCallback = callback;
    return 1;
}

FAKE_EXPORT int FAKE_ENTRY(KillOwnerWindowEx)(ArcWindow window) {
    Note("KillOwnerWindowEx");
    if (window != state.ownerWindow) return 0;
    state.ownerWindow = 0;
    state.ownerCallback = nullptr;
    return 1;
}

#ifndef FAKE_PARTIAL
FAKE_EXPORT int FAKE_ENTRY(GetWriteTimeEx)(ArcHandle, uint64_t* fileTime) {
    *fileTime = state.writeTime;
    return 1;
}

FAKE_EXPORT int FAKE_ENTRY(GetCreateTimeEx)(ArcHandle, uint64_t* fileTime) {
    *fileTime = state.writeTime;
    return 1;
}

FAKE_EXPORT int FAKE_ENTRY(GetAccessTimeEx)(ArcHandle, uint64_t* fileTime) {
    *fileTime = state.writeTime;
    return 1;
}

FAKE_EXPORT int FAKE_ENTRY(GetOriginalSizeEx)(ArcHandle, uint64_t* size) {
    *size = state.originalSize;
    return 1;
}

FAKE_EXPORT int FAKE_ENTRY(GetCompressedSizeEx)(ArcHandle, uint64_t* size) {
    *size = state.originalSize / 2;
    return 1;
}
#endif

FAKE_EXPORT int FAKE_ENTRY(GetArchiveType)(const char* archivePath) {
    Note("GetArchiveType");
    return StartsWithMagic(archivePath) ? ARC_TYPE_LHA : ARC_TYPE_UNKNOWN;
}
