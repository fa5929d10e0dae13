#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "arc_error.h"
#include "file_io.h"
#include "korvalen/archiver_api.h"
#include "operations.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

constexpr size_t kChunk = 1 << 16;

struct Staged {
    std::string tempPath;
    std::vector<std::string> target;  // components under the destination
    int64_t mtime = 0;
    int64_t mtimeNsec = 0;
    bool readOnly = false;
};

// Walks (and makes) the folders of a target below the destination. A
// folder that is a symbolic link, or a file in the way, is refused: writing
// through it could reach outside the destination.
std::string makeFolders(const std::string& dest, const std::vector<std::string>& parts, size_t count) {
    std::string path = dest;
    for (size_t i = 0; i < count; ++i) {
        path += parts[i];
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                throw ArcError(ARC_ERR_UNSAFE_PATH, "展開先にフォルダ以外のものがあります: " + path);
        } else if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            const int err = errno;
            throw ArcError(writeErrorCode(err), systemMessage("フォルダを作成できません " + path, err));
        }
        path += '/';
    }
    return path;
}

void ensureDestination(const std::string& dest) {
    std::error_code ec;
    std::filesystem::create_directories(dest, ec);
    if (!std::filesystem::is_directory(dest, ec))
        throw ArcError(ARC_ERR_FILE_CREATE, "展開先フォルダを作成できません: " + dest);
}

}  // namespace

void extractArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log) {
    const bool keepFolders = format == ArchiveFormat::Lha ? cl.value("x", 1) > 0 : cl.switches.count("j") == 0;
    ArchiveReader reader(cl.archive, format);
    progress.opened();
    std::string dest = cl.folder.empty() ? std::string("./") : cl.folder;
    if (!isSeparator(dest.back())) dest += '/';
    ensureDestination(dest);

    ScratchFolder work(dest);
    std::vector<Staged> staged;
    std::vector<std::vector<std::string>> folders;
    std::vector<uint8_t> chunk(kChunk);
    MemberInfo m;
    size_t matched = 0;
    while (reader.next(m)) {
        std::vector<std::string> parts = safeComponents(m.name);
        if (!nameSelected(cl.names, m.name)) continue;
        ++matched;
        if (m.kind == MemberInfo::Kind::Other)
            throw ArcError(ARC_ERR_UNSAFE_PATH, "リンクなど通常のファイル以外のメンバーは展開しません: " + m.name);
        if (m.kind == MemberInfo::Kind::Folder) {
            if (keepFolders) folders.push_back(parts);
            continue;
        }
        if (!keepFolders) parts = {parts.back()};
        Staged s;
        s.tempPath = work.path() + std::to_string(staged.size());
        s.target = std::move(parts);
        s.mtime = m.mtime;
        s.mtimeNsec = m.mtimeNsec;
        s.readOnly = m.readOnly;
        progress.begin(m.name, static_cast<uint64_t>(m.size));
        OutputFile out(s.tempPath);
        uint64_t total = 0;
        for (size_t n; (n = reader.read(chunk.data(), chunk.size())) > 0;) {
            out.write(chunk.data(), n);
            total += n;
            progress.advance(n);
        }
        if (m.size > 0 && total != static_cast<uint64_t>(m.size))
            throw ArcError(ARC_ERR_BROKEN, "メンバーのデータが足りません: " + m.name);
        // Left to the system's write-back like any extracted file: waiting
        // for the disk here would double the time of a restore.
        out.close(false);
        staged.push_back(std::move(s));
    }
    if (!cl.names.empty() && matched == 0) throw ArcError(ARC_ERR_NO_FILES, "指定された名前のメンバーがありません。");

    // Everything checked: move into place.
    for (const auto& f : folders) makeFolders(dest, f, f.size());
    for (const Staged& s : staged) {
        const std::string folder = makeFolders(dest, s.target, s.target.size() - 1);
        const std::string target = folder + s.target.back();
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            throw ArcError(ARC_ERR_FILE_CREATE, "同じ名前のフォルダがあるため展開できません: " + target);
        const timespec times[2] = {{static_cast<time_t>(s.mtime), static_cast<long>(s.mtimeNsec)},
                                   {static_cast<time_t>(s.mtime), static_cast<long>(s.mtimeNsec)}};
        ::utimensat(AT_FDCWD, s.tempPath.c_str(), times, 0);
        if (s.readOnly) ::chmod(s.tempPath.c_str(), 0444);
        if (::rename(s.tempPath.c_str(), target.c_str()) != 0) {
            const int err = errno;
            throw ArcError(writeErrorCode(err), systemMessage("ファイルを置けません " + target, err));
        }
        log.line("展開: " + target);
    }
    log.line("展開しました: " + cl.archive);
}

}  // namespace korvalen::archivers
