#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "arc_error.h"
#include "cab_writer.h"
#include "file_io.h"
#include "korvalen/archiver_api.h"
#include "korvalen/base/cp932.h"
#include "lha_writer.h"
#include "operations.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

constexpr size_t kCopyChunk = 1 << 16;

bool isAbsolute(const std::string& p) {
#ifdef _WIN32
    if (p.size() >= 2 && p[1] == ':') return true;
#endif
    return !p.empty() && isSeparator(p.front());
}

// "a/./b/../c.dat" -> "a/b/c.dat": what a relative name keeps when stored.
// Parent steps are dropped, never stored: a stored ".." is what extractors
// refuse.
std::string cleanRelative(const std::string& name) {
    std::string out, part;
    auto close = [&]() {
        if (!part.empty() && part != "." && part != "..") out += (out.empty() ? "" : "/") + part;
        part.clear();
    };
    for (const char c : name) {
        if (isSeparator(c))
            close();
        else
            part += c;
    }
    close();
    return out;
}

struct PackRules {
    bool keepFolders;  // relative names keep their folder part
    bool hidden;       // wildcards also take hidden files
    bool compareTime;  // on update, replace only members older than the file
};

PackItem itemFor(const std::string& path, const std::string& stored, const struct stat& st) {
    PackItem item;
    item.storedName = stored;
    item.sourcePath = path;
    item.size = static_cast<uint64_t>(st.st_size);
    item.mtime = st.st_mtime;
    item.dosAttributes = static_cast<uint16_t>(0x20 | ((st.st_mode & 0222) == 0 ? 0x01 : 0));
    return item;
}

// The stored name of a file given on the command line: relative names keep
// their folders (when the rules say so); absolute ones are stored by their
// place under the base folder, or else by the file name alone, since where
// the files lay on this PC is no part of the archive.
std::string storedNameFor(const std::string& given, const std::string& full, const std::string& base,
                          const PackRules& rules) {
    std::string rel;
    if (!isAbsolute(given))
        rel = given;
    else if (!base.empty() && full.size() > base.size() && full.compare(0, base.size(), base) == 0)
        rel = full.substr(base.size());
    else
        rel = baseName(full);
    rel = cleanRelative(rel);
    if (!rules.keepFolders) rel = baseName(rel);
    // Stored as Shift-JIS stores it (〜 and − as ～ and －), so the name that
    // is compared, logged and written is the one that extracts.
    return base::NormalizeForCp932(rel);
}

std::vector<PackItem> collectFiles(const CommandLine& cl, const PackRules& rules) {
    std::vector<PackItem> items;
    for (const std::string& given : cl.names) {
        const std::string full = isAbsolute(given) || cl.folder.empty() ? given : cl.folder + given;
        const std::string leaf = baseName(full);
        if (hasWildcard(leaf)) {
            const std::string dir = folderOf(full);
            DIR* d = ::opendir(dir.c_str());
            if (d == nullptr) throw ArcError(ARC_ERR_NO_FILES, "フォルダを開けません: " + dir);
            std::vector<std::string> found;
            while (const dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n == "." || n == "..") continue;
                if (n[0] == '.' && !rules.hidden) continue;
                if (wildcardMatch(leaf, n)) found.push_back(n);
            }
            ::closedir(d);
            std::sort(found.begin(), found.end());
            size_t matched = 0;
            for (const std::string& n : found) {
                const std::string path = (full.size() > leaf.size() ? dir : std::string()) + n;
                struct stat st {};
                if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
                const std::string givenPath = given.substr(0, given.size() - leaf.size()) + n;
                items.push_back(itemFor(path, storedNameFor(givenPath, path, cl.folder, rules), st));
                ++matched;
            }
            if (matched == 0) throw ArcError(ARC_ERR_NO_FILES, "一致するファイルがありません: " + given);
            continue;
        }
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0) throw ArcError(ARC_ERR_FILE_OPEN, "ファイルが見つかりません: " + full);
        if (!S_ISREG(st.st_mode)) throw ArcError(ARC_ERR_FILE_OPEN, "通常のファイルではありません: " + full);
        items.push_back(itemFor(full, storedNameFor(given, full, cl.folder, rules), st));
    }
    if (items.empty()) throw ArcError(ARC_ERR_NO_FILES, "格納するファイルが指定されていません。");
    // One name, one member: two different files under one stored name would
    // leave only one of them after extraction.
    std::map<std::string, std::string> seen;
    std::vector<PackItem> unique;
    for (auto& item : items) {
        if (item.storedName.empty()) throw ArcError(ARC_ERR_NAME, "格納名が空になります: " + item.sourcePath);
        const auto [it, added] = seen.emplace(lowerAscii(item.storedName), item.sourcePath);
        if (added)
            unique.push_back(std::move(item));
        else if (it->second != item.sourcePath)
            throw ArcError(ARC_ERR_NAME, "同じ名前で格納されるファイルが複数あります: " + item.storedName);
    }
    return unique;
}

// Members of the existing archive that stay, copied out to the work folder
// (libarchive checks each as it is read, so a damaged old archive stops
// the update), merged with the new files in archive order.
std::vector<PackItem> mergeWithExisting(ArchiveFormat format, const std::string& archive, std::vector<PackItem> fresh,
                                        const PackRules& rules, const std::string& spool, Progress& progress,
                                        OutputText& log) {
    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < fresh.size(); ++i) byName.emplace(lowerAscii(fresh[i].storedName), i);
    std::vector<bool> placed(fresh.size(), false);
    std::vector<PackItem> merged;
    ArchiveReader reader(archive, format);
    MemberInfo m;
    std::vector<uint8_t> chunk(kCopyChunk);
    size_t counter = 0;
    while (reader.next(m)) {
        const auto hit = byName.find(lowerAscii(m.name));
        if (hit != byName.end() && !placed[hit->second]) {
            PackItem& item = fresh[hit->second];
            if (!rules.compareTime || item.mtime > m.mtime) {
                merged.push_back(item);
                placed[hit->second] = true;
                log.line("置換: " + item.storedName);
                continue;
            }
            placed[hit->second] = true;  // the member is as new: it stays
            log.line("更新不要: " + item.storedName);
        }
        if (m.kind == MemberInfo::Kind::Other)
            throw ArcError(ARC_ERR_UNSUPPORTED, "書き直せない種類のメンバーがあります: " + m.name);
        PackItem keep;
        keep.storedName = m.name;
        keep.mtime = m.mtime;
        keep.dosAttributes = static_cast<uint16_t>(0x20 | (m.readOnly ? 0x01 : 0));
        if (m.kind == MemberInfo::Kind::Folder) {
            keep.isDirectory = true;
            merged.push_back(keep);
            continue;
        }
        keep.sourcePath = spool + std::to_string(counter++);
        progress.begin(m.name, static_cast<uint64_t>(m.size));
        OutputFile out(keep.sourcePath);
        for (size_t n; (n = reader.read(chunk.data(), chunk.size())) > 0;) {
            out.write(chunk.data(), n);
            keep.size += n;
        }
        out.close(false);  // a work copy, gone when the update ends
        merged.push_back(keep);
    }
    for (size_t i = 0; i < fresh.size(); ++i)
        if (!placed[i]) merged.push_back(fresh[i]);
    return merged;
}

}  // namespace

void packArchive(ArchiveFormat format, const CommandLine& cl, Progress& progress, OutputText& log) {
    PackRules rules{};
    if (format == ArchiveFormat::Lha) {
        rules.keepFolders = cl.value("p", 0) > 0;
        rules.hidden = cl.value("a", 0) > 0;
        rules.compareTime = cl.value("c", 1) > 0;
    } else {
        rules.keepFolders = true;
        rules.hidden = false;
        rules.compareTime = false;
    }
    std::vector<PackItem> items = collectFiles(cl, rules);

    struct stat st {};
    const bool exists = ::stat(cl.archive.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        throw ArcError(ARC_ERR_FILE_CREATE, "書庫の名前がフォルダなどに使われています: " + cl.archive);
    std::unique_ptr<ScratchFolder> spool;
    if (exists) {
        spool = std::make_unique<ScratchFolder>(folderOf(cl.archive));
        items = mergeWithExisting(format, cl.archive, std::move(items), rules, spool->path(), progress, log);
    }

    StagedFile staged(cl.archive);
    progress.opened();
    if (format == ArchiveFormat::Lha) {
        LhaWriter writer(staged.out(), progress);
        for (const auto& item : items) writer.add(item);
        writer.finish();
    } else {
        CabWriter writer(staged.out(), progress);
        writer.write(items);
    }
    progress.copying();
    staged.commit();
    for (const auto& item : items)
        if (!item.isDirectory) log.line("格納: " + item.storedName);
    log.line(std::string(exists ? "書庫を更新しました: " : "書庫を作成しました: ") + cl.archive);
}

}  // namespace korvalen::archivers
