#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "arc_error.h"
#include "file_io.h"
#include "korvalen/archiver_api.h"
#include "operations.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

constexpr size_t kChunk = 1 << 16;
// LHA's size fields hold 32 bits; a larger member comes only from an
// extension this library does not write and will not trust.
constexpr int64_t kLhaMemberLimit = int64_t{0xFFFFFFFF};

#ifndef NAME_MAX
constexpr size_t kNameMax = 255;
#else
constexpr size_t kNameMax = NAME_MAX;
#endif
#ifndef PATH_MAX
constexpr size_t kPathMax = 4096;
#else
constexpr size_t kPathMax = PATH_MAX;
#endif

// One member on its way into the destination.
struct Planned {
    size_t member = 0;                // its place in the archive
    std::string name;                 // as stored
    std::vector<std::string> target;  // components under the destination
    bool folder = false;
    int64_t size = 0;
};

struct Staged {
    std::string tempPath;
    std::vector<std::string> target;
    int64_t mtime = 0;
    int64_t mtimeNsec = 0;
    bool readOnly = false;
};

std::string joinParts(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) path += (i ? "/" : "") + parts[i];
    return path;
}

// Names that are one file to the file system: one case on a system that
// folds letter case.
std::string targetKey(const std::vector<std::string>& parts) {
#ifdef _WIN32
    return lowerAscii(joinParts(parts, parts.size()));
#else
    return joinParts(parts, parts.size());
#endif
}

// What stands at a path: nothing, a folder, a link or something else.
enum class Standing { Nothing, Folder, Link, Other };
Standing standingAt(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return Standing::Nothing;
    if (S_ISLNK(st.st_mode)) return Standing::Link;
    return S_ISDIR(st.st_mode) ? Standing::Folder : Standing::Other;
}

// Folders that the extraction made itself, taken away again (innermost
// first) when it is refused.
class CreatedFolders {
public:
    ~CreatedFolders() {
        if (kept_) return;
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) ::rmdir(it->c_str());
    }
    void add(const std::string& folder) { folders_.push_back(folder); }
    void keep() { kept_ = true; }

private:
    std::vector<std::string> folders_;
    bool kept_ = false;
};

// The destination and any of its parents that are missing.
void makeDestination(const std::string& dest, CreatedFolders& created) {
    std::string folder = dest;
    while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
    std::vector<std::string> missing;
    for (std::string path = folder; !path.empty() && standingAt(path) == Standing::Nothing;) {
        missing.push_back(path);
        const size_t cut = path.find_last_of('/');
        if (cut == std::string::npos || cut == 0) break;
        path.erase(cut);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0755) != 0) {
            const int err = errno;
            throw ArcError(writeErrorCode(err), systemMessage("展開先フォルダを作成できません " + dest, err));
        }
        created.add(*it);
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw ArcError(ARC_ERR_FILE_CREATE, "展開先フォルダを作成できません: " + dest);
}

// Every target is checked before anything is written, so a refusal leaves
// the destination as it was: a name too long, two members for one target,
// a file or a link where a folder must go, a folder where a file must go.
void checkTargets(const std::string& dest, const std::vector<Planned>& plan) {
    std::map<std::string, const Planned*> files;
    std::set<std::string> folders;
    for (const Planned& p : plan) {
        for (const std::string& part : p.target) {
            if (part.size() > kNameMax)
                throw ArcError(ARC_ERR_FILE_CREATE, "名前が長すぎるため展開できません: " + p.name);
        }
        if (dest.size() + joinParts(p.target, p.target.size()).size() >= kPathMax)
            throw ArcError(ARC_ERR_FILE_CREATE, "パスが長すぎるため展開できません: " + p.name);
        for (size_t i = 1; i < p.target.size(); ++i)
            folders.insert(targetKey({p.target.begin(), p.target.begin() + i}));
        if (p.folder) {
            folders.insert(targetKey(p.target));
            continue;
        }
        const auto [at, added] = files.emplace(targetKey(p.target), &p);
        if (!added)
            throw ArcError(ARC_ERR_FILE_CREATE, "二つのメンバーが同じ名前で展開されるため展開できません: " +
                                                    at->second->name + ", " + p.name);
    }
    for (const auto& [key, member] : files) {
        if (folders.count(key))
            throw ArcError(ARC_ERR_FILE_CREATE,
                           "同じ名前のフォルダとファイルがあるため展開できません: " + member->name);
    }
    for (const Planned& p : plan) {
        const size_t folderParts = p.folder ? p.target.size() : p.target.size() - 1;
        for (size_t i = 1; i <= folderParts; ++i) {
            const std::string path = dest + joinParts(p.target, i);
            const Standing s = standingAt(path);
            if (s == Standing::Link || s == Standing::Other)
                throw ArcError(ARC_ERR_UNSAFE_PATH, "展開先にフォルダ以外のものがあります: " + path);
        }
        if (!p.folder && standingAt(dest + joinParts(p.target, p.target.size())) == Standing::Folder)
            throw ArcError(ARC_ERR_FILE_CREATE, "同じ名前のフォルダがあるため展開できません: " + dest +
                                                    joinParts(p.target, p.target.size()));
    }
}

void checkFreeSpace(const std::string& dest, const std::vector<Planned>& plan) {
    uint64_t needed = 0;
    for (const Planned& p : plan) needed += static_cast<uint64_t>(p.size);
    struct statvfs vfs {};
    if (::statvfs(dest.c_str(), &vfs) != 0) return;
    const uint64_t available = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    if (needed > available)
        throw ArcError(ARC_ERR_DISK_SPACE, "展開先の空き容量が足りません（必要 " + std::to_string(needed) +
                                               " バイト、空き " + std::to_string(available) + " バイト）: " + dest);
}

// Walks (and makes) the folders of a target, recording the ones it made.
std::string makeFolders(const std::string& dest, const std::vector<std::string>& parts, size_t count,
                        CreatedFolders& created) {
    std::string path = dest;
    for (size_t i = 0; i < count; ++i) {
        path += parts[i];
        const Standing s = standingAt(path);
        if (s == Standing::Nothing) {
            if (::mkdir(path.c_str(), 0755) != 0) {
                const int err = errno;
                throw ArcError(writeErrorCode(err), systemMessage("フォルダを作成できません " + path, err));
            }
            created.add(path);
        } else if (s != Standing::Folder) {
            throw ArcError(ARC_ERR_UNSAFE_PATH, "展開先にフォルダ以外のものがあります: " + path);
        }
        path += '/';
    }
    return path;
}

// Puts the staged files in place one rename each. Files they replace are
// first moved aside into the work folder; if any step fails, every move is
// undone in reverse, so the destination is either wholly updated or as it was.
class Placement {
public:
    explicit Placement(std::string work) : work_(std::move(work)) {}
    ~Placement() {
        if (committed_) return;
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            ::rename(it->target.c_str(), it->staged.c_str());
            if (!it->aside.empty()) ::rename(it->aside.c_str(), it->target.c_str());
        }
    }
    void place(const std::string& staged, const std::string& target) {
        Move move{staged, target, {}};
        if (standingAt(target) != Standing::Nothing) {
            move.aside = work_ + "old-" + std::to_string(done_.size());
            if (::rename(target.c_str(), move.aside.c_str()) != 0) {
                const int err = errno;
                throw ArcError(writeErrorCode(err), systemMessage("ファイルを置き換えられません " + target, err));
            }
        }
        if (::rename(staged.c_str(), target.c_str()) != 0) {
            const int err = errno;
            if (!move.aside.empty()) ::rename(move.aside.c_str(), target.c_str());
            throw ArcError(writeErrorCode(err), systemMessage("ファイルを置けません " + target, err));
        }
        done_.push_back(std::move(move));
    }
    void commit() { committed_ = true; }

private:
    struct Move {
        std::string staged, target, aside;
    };
    std::string work_;
    std::vector<Move> done_;
    bool committed_ = false;
};

}  // namespace

void extractArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log) {
    const bool keepFolders = format == ArchiveFormat::Lha ? cl.value("x", 1) > 0 : cl.switches.count("j") == 0;
    std::string dest = cl.folder.empty() ? std::string("./") : cl.folder;
    if (!isSeparator(dest.back())) dest += '/';

    // First the headers alone: what goes where, and whether all of it can.
    std::vector<Planned> plan;
    {
        ArchiveReader survey(cl.archive, format);
        MemberInfo m;
        for (size_t member = 0; survey.next(m); ++member) {
            std::vector<std::string> parts = safeComponents(m.name);
            if (!nameSelected(cl.names, m.name)) continue;
            if (m.kind == MemberInfo::Kind::Other)
                throw ArcError(ARC_ERR_UNSAFE_PATH, "リンクなど通常のファイル以外のメンバーは展開しません: " + m.name);
            if (format == ArchiveFormat::Lha && m.size > kLhaMemberLimit)
                throw ArcError(ARC_ERR_UNSUPPORTED, "4 GiB を超えるメンバーは展開できません: " + m.name);
            if (m.size < 0) throw ArcError(ARC_ERR_BROKEN, "メンバーのサイズが正しくありません: " + m.name);
            const bool folder = m.kind == MemberInfo::Kind::Folder;
            if (folder && !keepFolders) continue;
            if (!folder && !keepFolders) parts = {parts.back()};
            plan.push_back(Planned{member, m.name, std::move(parts), folder, folder ? 0 : m.size});
        }
    }
    if (!cl.names.empty() && plan.empty()) throw ArcError(ARC_ERR_NO_FILES, "指定された名前のメンバーがありません。");

    CreatedFolders created;
    makeDestination(dest, created);
    checkTargets(dest, plan);
    checkFreeSpace(dest, plan);

    ArchiveReader reader(cl.archive, format);
    progress.opened();
    std::vector<Staged> staged;
    std::vector<std::vector<std::string>> folders;
    {
        ScratchFolder work(dest);
        std::vector<uint8_t> chunk(kChunk);
        MemberInfo m;
        size_t at = 0;
        for (size_t member = 0; reader.next(m); ++member) {
            if (at == plan.size() || plan[at].member != member) continue;  // not selected, or a folder left out
            const Planned& p = plan[at++];
            if (p.name != m.name) throw ArcError(ARC_ERR_BROKEN, "書庫が読むたびに違います: " + cl.archive);
            if (p.folder) {
                folders.push_back(p.target);
                continue;
            }
            Staged s;
            s.tempPath = work.path() + std::to_string(staged.size());
            s.target = p.target;
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
            if (total != static_cast<uint64_t>(m.size))
                throw ArcError(ARC_ERR_BROKEN, "メンバーのデータの長さが合いません: " + m.name);
            // Left to the system's write-back like any extracted file: waiting
            // for the disk here would double the time of a restore.
            out.close(false);
            staged.push_back(std::move(s));
        }
        if (at != plan.size()) throw ArcError(ARC_ERR_BROKEN, "書庫が読むたびに違います: " + cl.archive);

        // Everything checked: move into place, all of it or none.
        for (const auto& f : folders) makeFolders(dest, f, f.size(), created);
        Placement placement(work.path());
        for (const Staged& s : staged) {
            const std::string folder = makeFolders(dest, s.target, s.target.size() - 1, created);
            const std::string target = folder + s.target.back();
            if (standingAt(target) == Standing::Folder)
                throw ArcError(ARC_ERR_FILE_CREATE, "同じ名前のフォルダがあるため展開できません: " + target);
            const timespec times[2] = {{static_cast<time_t>(s.mtime), static_cast<long>(s.mtimeNsec)},
                                       {static_cast<time_t>(s.mtime), static_cast<long>(s.mtimeNsec)}};
            ::utimensat(AT_FDCWD, s.tempPath.c_str(), times, 0);
            if (s.readOnly) ::chmod(s.tempPath.c_str(), 0444);
            placement.place(s.tempPath, target);
        }
        placement.commit();
        created.keep();
    }
    for (const Staged& s : staged) log.line("展開: " + dest + joinParts(s.target, s.target.size()));
    log.line("展開しました: " + cl.archive);
}

}  // namespace korvalen::archivers
