#include "test_support.h"

#include <dlfcn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <stdexcept>

#include "korvalen/testsupport/files.h"

namespace korvalen::archivers::test {

std::string readFile(const fs::path& p) { return testsupport::ReadWholeFile(p); }

void writeFile(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    testsupport::WriteWholeFile(p, bytes);
}

std::map<std::string, std::string> folderContents(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = readFile(e.path());
    return files;
}

ToolResult runTool(const std::string& commandLine) {
    ToolResult r;
    FILE* p = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (p == nullptr) return r;
    std::array<char, 4096> buf{};
    for (size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;) r.output.append(buf.data(), n);
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool toolAvailable(const std::string& program) {
    return runTool("command -v " + program + " >/dev/null").exitCode == 0;
}

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Library::Library(const std::string& file, const std::string& prefix) {
    const std::string path = std::string(KORVALEN_BIN_DIR) + "/" + file;
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw std::runtime_error(std::string("dlopen: ") + ::dlerror());
    auto bind = [&](auto& slot, const std::string& suffix) {
        void* sym = ::dlsym(handle_, (prefix + suffix).c_str());
        if (sym == nullptr) throw std::runtime_error("missing entry " + prefix + suffix);
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(sym);
    };
    bind(command, "");
    bind(openArchive, ARC_ENTRY_OPEN_ARCHIVE);
    bind(closeArchive, ARC_ENTRY_CLOSE_ARCHIVE);
    bind(findFirst, ARC_ENTRY_FIND_FIRST);
    bind(findNext, ARC_ENTRY_FIND_NEXT);
    bind(extractMem, ARC_ENTRY_EXTRACT_MEM);
    bind(checkArchive, ARC_ENTRY_CHECK_ARCHIVE);
    bind(setOwnerWindowEx, ARC_ENTRY_SET_OWNER_WINDOW_EX);
    bind(killOwnerWindowEx, ARC_ENTRY_KILL_OWNER_WINDOW_EX);
    bind(getWriteTimeEx, ARC_ENTRY_GET_WRITE_TIME_EX);
    bind(getCreateTimeEx, ARC_ENTRY_GET_CREATE_TIME_EX);
    bind(getAccessTimeEx, ARC_ENTRY_GET_ACCESS_TIME_EX);
    bind(getOriginalSizeEx, ARC_ENTRY_GET_ORIGINAL_SIZE_EX);
    bind(getCompressedSizeEx, ARC_ENTRY_GET_COMPRESSED_SIZE_EX);
    bind(getArchiveType, ARC_ENTRY_GET_ARCHIVE_TYPE);
}

Library::~Library() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

Library::Result Library::run(const std::string& commandText, ArcWindow window, uint32_t outputSize) const {
    std::string buf(outputSize, '\x7F');
    Result r;
    r.code = command(window, commandText.c_str(), outputSize ? buf.data() : nullptr, outputSize);
    if (outputSize) r.text = buf.c_str();
    return r;
}

const Library& lha() {
    static const Library lib("libunlha32.so", "Unlha");
    return lib;
}

const Library& cab() {
    static const Library lib("libcab32.so", "Cab");
    return lib;
}

namespace {
std::string fileTokens(const std::vector<std::string>& files) {
    std::string s;
    for (const auto& f : files) s += " \"" + f + "\"";
    return s;
}
}  // namespace

std::string lhaPackCommand(const std::string& archive, const std::vector<std::string>& files) {
    return "u -+ -c0 -m0 -n1 -p1 -jso1  \"" + archive + "\"" + fileTokens(files) + " ";
}

std::string cabPackCommand(const std::string& archive, const std::vector<std::string>& files) {
    return "-a -i  \"" + archive + "\"" + fileTokens(files) + " ";
}

std::string lhaUnpackCommand(const std::string& archive, const std::string& folder) {
    return "x -+ -c1 -m1 -n1 -x0 -jse0 -jso1  \"" + archive + "\" \"" + folder + "\" ";
}

}  // namespace korvalen::archivers::test
