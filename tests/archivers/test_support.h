// Helpers shared by the archiver tests: temporary folders, files, running
// the peer tools, and the two libraries loaded the way the bridge loads them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "korvalen/archiver_api.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::archivers::test {

namespace fs = std::filesystem;

using TempDir = korvalen::testsupport::TempFolder;

std::string readFile(const fs::path& p);
void writeFile(const fs::path& p, const std::string& bytes);
// Every regular file under a folder: relative path -> content.
std::map<std::string, std::string> folderContents(const fs::path& root);

struct ToolResult {
    int exitCode = -1;
    std::string output;
};
// Runs a shell command line, output and errors together.
ToolResult runTool(const std::string& commandLine);
bool toolAvailable(const std::string& program);
std::string shellQuote(const std::string& s);

// One of our libraries, bound by entry name as the bridge binds it.
class Library {
public:
    Library(const std::string& file, const std::string& prefix);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    struct Result {
        int code = 0;
        std::string text;
    };
    Result run(const std::string& command, ArcWindow window = 0, uint32_t outputSize = 8192) const;

    ArcCommandFn command = nullptr;
    ArcOpenArchiveFn openArchive = nullptr;
    ArcCloseArchiveFn closeArchive = nullptr;
    ArcFindFirstFn findFirst = nullptr;
    ArcFindNextFn findNext = nullptr;
    ArcExtractMemFn extractMem = nullptr;
    ArcCheckArchiveFn checkArchive = nullptr;
    ArcSetOwnerWindowExFn setOwnerWindowEx = nullptr;
    ArcKillOwnerWindowExFn killOwnerWindowEx = nullptr;
    ArcGetTimeExFn getWriteTimeEx = nullptr;
    ArcGetTimeExFn getCreateTimeEx = nullptr;
    ArcGetTimeExFn getAccessTimeEx = nullptr;
    ArcGetSizeExFn getOriginalSizeEx = nullptr;
    ArcGetSizeExFn getCompressedSizeEx = nullptr;
    ArcGetArchiveTypeFn getArchiveType = nullptr;

private:
    void* handle_ = nullptr;
};

const Library& lha();
const Library& cab();

// The command texts the backup and restore procedure sends.
std::string lhaPackCommand(const std::string& archive, const std::vector<std::string>& files);
std::string cabPackCommand(const std::string& archive, const std::vector<std::string>& files);
std::string lhaUnpackCommand(const std::string& archive, const std::string& folder);

}  // namespace korvalen::archivers::test
