#include <exception>
#include <new>

#include "arc_error.h"
#include "korvalen/archiver_api.h"
#include "operations.h"

namespace korvalen::archivers {

int runCommand(ArchiveFormat format, uintptr_t window, const char* text, char* output, uint32_t outputSize) {
    OutputText log;
    int code = ARC_OK;
    // Nothing may escape into a caller that binds us by name: every failure
    // becomes a return code and a text.
    try {
        if (text == nullptr) throw ArcError(ARC_ERR_BAD_COMMAND, "コマンドがありません。");
        const CommandLine cl = format == ArchiveFormat::Lha ? parseLhaCommand(text) : parseCabCommand(text);
        Progress progress(window, cl.archive);
        try {
            if (cl.command == "u" || cl.command == "a")
                packArchive(format, cl, progress, log);
            else if (cl.command == "x")
                extractArchive(format, cl, progress, log);
            else if (cl.command == "l")
                listArchive(format, cl, progress, log);
            else
                testArchive(format, cl, progress, log);
        } catch (...) {
            progress.finished();
            throw;
        }
        progress.finished();
    } catch (const ArcError& e) {
        code = e.code();
        log.line(std::string("エラー: ") + e.what());
    } catch (const std::bad_alloc&) {
        code = ARC_ERR_MEMORY;
        log.line("エラー: メモリが足りません。");
    } catch (const std::exception& e) {
        code = ARC_ERR_BROKEN;
        log.line(std::string("エラー: ") + e.what());
    }
    log.copyTo(output, outputSize);
    return code;
}

}  // namespace korvalen::archivers
