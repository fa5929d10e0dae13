#include "korvalen/backup/filters.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <set>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/paths.h"

namespace korvalen::backup {

int ExpandTwoDigitYear(int twoDigitYear, int currentYear) {
    constexpr int kWindow = 50;
    const int windowStart = currentYear - kWindow;
    int year = twoDigitYear + windowStart / 100 * 100;
    if (year < windowStart) year += 100;
    return year;
}

namespace {

bool AllDigits(std::string_view text) {
    for (const char ch : text) {
        if (ch < '0' || ch > '9') return false;
    }
    return true;
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char ch : digits) value = value * 10 + (ch - '0');
    return value;
}

// The year of today's local date, where the window of two-digit years is
// anchored; the program's one clock gives the date.
int CurrentLocalYear(const platform::Clock& clock) { return QDate(1899, 12, 30).addDays(clock.Today()).year(); }

// Names are the same file when they are the same text here; on Windows the
// file system ignores letter case, so names differing only in case are one file.
struct NameOrder {
    bool operator()(const std::string& left, const std::string& right) const {
        const int folded = ToQString(left).compare(ToQString(right), Qt::CaseInsensitive);
        if (folded != 0) return folded < 0;
#ifdef _WIN32
        return false;
#else
        return left < right;
#endif
    }
};
using NameSet = std::set<std::string, NameOrder>;

// Glob matching with one backtrack point, the latest "*": a mask with many
// stars costs at most the name length times the mask length, never a retry
// of every split.
bool GlobMatch(QStringView name, QStringView mask) {
    qsizetype n = 0, m = 0, star = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == u'?' || (mask[m] != u'*' && mask[m] == name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            starName = n;
        } else if (star >= 0) {
            m = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*') ++m;
    return m == mask.size();
}

// A mask made ready once for every name of a folder: its letter case folded.
class FoldedMask {
public:
    explicit FoldedMask(std::string_view mask)
        : empty_(mask.empty()), all_(mask == "*.*"), folded_(ToQString(mask).toCaseFolded()) {}

    bool Matches(const QString& name) const {
        if (empty_) return false;
        if (all_) return true;
        const QString n = name.toCaseFolded();
        if (GlobMatch(n, folded_)) return true;
        return folded_.endsWith(u".*") && GlobMatch(n, QStringView(folded_).chopped(2));
    }

private:
    bool empty_;
    bool all_;
    QString folded_;
};

class Scanner {
public:
    Scanner(const TArchiverOptions& options, std::string baseFolder, bool& abort, std::optional<TLocalDateTime> lower,
            std::optional<TLocalDateTime> upper)
        : options_(options), base_(std::move(baseFolder)), abort_(abort), lower_(lower), upper_(upper) {}

    NameSet Expand(const std::vector<std::string>& items, const NameSet* exclusions, const TFilterProgress* progress) {
        exclusions_ = exclusions;
        progress_ = progress;
        NameSet found;
        found_ = &found;
        if (items.empty()) {
            ScanFolder("", "*.*");
        } else {
            for (const auto& item : items) {
                if (abort_) break;
                ScanItem(item);
            }
        }
        found_ = nullptr;
        return found;
    }

private:
    // Relative names are taken from the base folder, as if it were current.
    QString OnDisk(const std::string& path) const {
        const QString q = ToQString(path);
        if (base_.empty() || QDir::isAbsolutePath(q)) return q.isEmpty() ? QStringLiteral(".") : q;
        return ToQString(JoinPath(base_, path));
    }

    void ScanItem(const std::string& item) {
        if (options_.r > 1 && !item.empty() && QFileInfo(OnDisk(item)).isDir()) {
            ScanFolder(item, "*.*");
        } else {
            ScanFolder(FolderPart(item), NamePart(item));
        }
    }

    bool InTimeWindow(const QFileInfo& file) const {
        if (!lower_ && !upper_) return true;
        const QDateTime modified = file.lastModified().toLocalTime();
        const TLocalDateTime at{modified.date().year(), modified.date().month(),  modified.date().day(),
                                modified.time().hour(), modified.time().minute(), modified.time().second()};
        if (lower_ && at < *lower_) return false;
        if (upper_ && at > *upper_) return false;
        return true;
    }

    std::string NameFor(const std::string& folder, const QString& fileName) const {
        std::string name = JoinPath(folder, FromQString(fileName));
        if (options_.jf == -2 && !base_.empty()) {
            const QString absolute = QDir::cleanPath(QFileInfo(OnDisk(name)).absoluteFilePath());
            name = FromQString(QDir::toNativeSeparators(QDir(ToQString(base_)).relativeFilePath(absolute)));
        }
        return name;
    }

    void ScanFolder(const std::string& folder, const std::string& mask) {
        const QDir dir(OnDisk(folder));
        const FoldedMask folded(mask);
        // Hidden entries are listed too; whether a hidden file counts is decided
        // per file, and hidden subfolders are always entered.
        const QFileInfoList entries =
            dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo& entry : entries) {
            if (abort_) return;
            // Only regular files: a FIFO or device would stall the library.
            if (!entry.isFile()) continue;
            if (entry.isHidden() && options_.a <= 0) continue;
            if (!folded.Matches(entry.fileName())) continue;
            if (!InTimeWindow(entry)) continue;
            std::string name = NameFor(folder, entry.fileName());
            if (exclusions_ != nullptr && exclusions_->contains(name)) continue;
            const bool added = found_->insert(name).second;
            if (added && progress_ != nullptr && *progress_) (*progress_)(name, abort_);
        }
        const bool wildcard = mask.find_first_of("*?") != std::string::npos;
        if (options_.r > 0 && (options_.p <= 0 || wildcard)) {
            for (const QFileInfo& entry : entries) {
                if (abort_) return;
                // Linked folders are not followed: a link to a folder above would never end.
                if (!entry.isDir() || entry.isSymLink()) continue;
                ScanFolder(platform::WithTrailingSeparator(JoinPath(folder, FromQString(entry.fileName()))), mask);
            }
        }
    }

    const TArchiverOptions& options_;
    std::string base_;
    bool& abort_;
    std::optional<TLocalDateTime> lower_;
    std::optional<TLocalDateTime> upper_;
    const NameSet* exclusions_ = nullptr;
    const TFilterProgress* progress_ = nullptr;
    NameSet* found_ = nullptr;
};

}  // namespace

std::optional<TLocalDateTime> ReadTimeBound(std::string_view text, std::string_view defaultTime, int currentYear,
                                            std::string_view switchName) {
    const std::string_view original = text;
    if (!text.empty() && text.front() == 'l') text.remove_prefix(1);
    std::string digits;
    switch (text.size()) {
        case 6: digits = std::string(text) + std::string(defaultTime); break;
        case 8: digits = std::string(text) + std::string(defaultTime); break;
        case 12:
        case 14: digits = std::string(text); break;
        default: return std::nullopt;
    }
    const auto bad = [&] { return EArchiver(FormatMessageText(messages::kBadTimeBound, {switchName, original})); };
    if (!AllDigits(digits)) throw bad();
    const bool fourDigitYear = text.size() == 8 || text.size() == 14;
    const std::size_t y = fourDigitYear ? 4 : 2;
    TLocalDateTime at;
    at.year =
        fourDigitYear ? Number(digits.substr(0, 4)) : ExpandTwoDigitYear(Number(digits.substr(0, 2)), currentYear);
    at.month = Number(digits.substr(y, 2));
    at.day = Number(digits.substr(y + 2, 2));
    at.hour = Number(digits.substr(y + 4, 2));
    at.minute = Number(digits.substr(y + 6, 2));
    at.second = Number(digits.substr(y + 8, 2));
    if (!QDate::isValid(at.year, at.month, at.day) || !QTime::isValid(at.hour, at.minute, at.second)) throw bad();
    return at;
}

bool MatchesMask(std::string_view name, std::string_view mask) { return FoldedMask(mask).Matches(ToQString(name)); }

std::vector<std::string> FilterFiles(TArchiverOptions& options, const std::string& baseFolder,
                                     const std::vector<std::string>& items, bool& abort,
                                     const TFilterProgress& progress, const platform::Clock& clock) {
    const int year = CurrentLocalYear(clock);
    const auto lower = ReadTimeBound(options.jo, "000000", year, "jo");
    const auto upper = ReadTimeBound(options.job, "235959", year, "job");

    Scanner scanner(options, baseFolder, abort, lower, upper);
    const NameSet exclusions = options.jx.empty() ? NameSet{} : scanner.Expand(options.jx, nullptr, nullptr);
    const NameSet found = abort ? NameSet{} : scanner.Expand(items, &exclusions, &progress);

    options.r = -1;
    options.jo.clear();
    options.job.clear();
    options.p = 1;
    return {found.begin(), found.end()};
}

const platform::Clock& ThisPcClock() {
    static const platform::SystemClock clock;
    return clock;
}

}  // namespace korvalen::backup
