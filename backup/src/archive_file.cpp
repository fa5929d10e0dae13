#include "korvalen/backup/archive_file.h"

#include <cstring>

#include "korvalen/backup/archive_errors.h"
#include "korvalen/backup/cab32.h"
#include "korvalen/backup/lha32.h"
#include "korvalen/backup/native_path.h"
#include "progress_relay.h"

namespace korvalen::backup {

TArchiveItem::TArchiveItem(std::string text) : texts_{std::move(text)} {}

TArchiveItem::TArchiveItem(const char* text) {
    if (text != nullptr) texts_.emplace_back(text);
}

TArchiveItem::TArchiveItem(std::vector<std::string> texts) : texts_(std::move(texts)) {}

TArchiveItem::TArchiveItem(const char* const* nullTerminated) {
    for (auto p = nullTerminated; p != nullptr && *p != nullptr; ++p) texts_.emplace_back(*p);
}

TArchiveItem::TArchiveItem(const QVariant& value) {
    const auto addText = [this](const QVariant& v) {
        if (v.isNull() || !v.canConvert<QString>()) return;
        texts_.push_back(FromQString(v.toString()));
    };
    const int type = value.typeId();
    if (type == QMetaType::QVariantList || type == QMetaType::QStringList) {
        for (const QVariant& element : value.toList()) addText(element);
    } else {
        addText(value);
    }
}

std::vector<std::string> GatherItems(const TArchiveItems& items) {
    std::vector<std::string> texts;
    for (const auto& item : items) texts.insert(texts.end(), item.Texts().begin(), item.Texts().end());
    return texts;
}

TArchiveFile::TArchiveFile(ArcWindow owner) : owner_(owner), clock_(&ThisPcClock()) {}

TArchiveFile::~TArchiveFile() = default;

void TArchiveFile::SetFileName(const std::string& path) {
    SetArchiverType(ArchiverTypeOf(path));
    fileName_ = path;
}

void TArchiveFile::SetOutputSize(std::uint32_t size) { output_.assign(size, '\0'); }

std::string TArchiveFile::OutputText() const {
    if (output_.empty()) return {};
    return std::string(output_.data(), strnlen(output_.data(), output_.size()));
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
    switch (type) {
        case atLha:
            archiver_ = std::make_unique<TLha32>();
            type_ = type;
            return;
        case atCab:
            archiver_ = std::make_unique<TCab32>();
            type_ = type;
            return;
        case atNone: return;
        case atAutoDetect: type_ = type; return;
        default: throw EArchiver(std::string(messages::kCannotIdentifyFormat));
    }
}

TProgressRelay* TArchiveFile::StartRelay() {
    if (!OnProgress) return nullptr;
    if (relay_ == nullptr) {
        relay_ = std::make_unique<TProgressRelay>([this](std::uint32_t state, const ArcProgressInfo* info) {
            bool abort = false;
            if (OnProgress) OnProgress(*this, static_cast<int>(state), info, abort);
            return abort;
        });
    }
    relay_->Start(*archiver_);
    return relay_.get();
}

// Runs however the command ended: the last command line and the end of the
// relay must not be lost to an error.
void TArchiveFile::FinishCommand(TProgressRelay* relay) {
    lastCommandLine_ = archiver_->CommandLine();
    if (relay != nullptr) relay->Stop(*archiver_);
}

int TArchiveFile::RunCommand(int (TArchiver::*operation)(const TArchiverCommand&), ArcWindow window,
                             const TArchiverOptions& options, const std::string& folder,
                             std::vector<std::string> files) {
    TProgressRelay* relay = StartRelay();
    const TArchiverCommand command{window,      &options,         fileName_,
                                   folder,      std::move(files), output_.empty() ? nullptr : output_.data(),
                                   OutputSize()};
    int result = 0;
    try {
        result = (archiver_.get()->*operation)(command);
    } catch (...) {
        FinishCommand(relay);
        throw;
    }
    FinishCommand(relay);
    if (relay != nullptr) relay->RethrowPending();
    return result;
}

int TArchiveFile::PackFiles(ArcWindow window, const TArchiverOptions* options, const std::string& baseFolder,
                            const TArchiveItems& items) {
    if (type_ == atAutoDetect) SetArchiverType(ArchiverTypeByContent(fileName_));
    if (archiver_ == nullptr) throw EArchiver(std::string(messages::kCannotDetermineFormat));
    const TArchiverOptions& switches = options != nullptr ? *options : options_;
    archiver_->Prepare();

    if (switches.PackFilter == pfArchiver)
        return RunCommand(&TArchiver::Pack, window, switches, baseFolder, GatherItems(items));

    TArchiverOptions copy;
    copy.Assign(switches);
    bool abort = false;
    const TFilterProgress progress = [this](const std::string& name, bool& stop) {
        if (!OnProgress) return;
        const ArcProgressInfo info{0, 0, name.c_str(), fileName_.c_str()};
        OnProgress(*this, kFilterProgressState, &info, stop);
    };
    std::vector<std::string> files = FilterFiles(copy, baseFolder, GatherItems(items), abort, progress, *clock_);
    if (abort) return ARC_ERR_CANCELLED;
    if (files.empty()) {
        if (!output_.empty()) output_[0] = '\0';
        return 0;
    }
    // The scan has already left the excluded files out.
    copy.jx.clear();
    return RunCommand(&TArchiver::Pack, window, copy, baseFolder, std::move(files));
}

int TArchiveFile::UnpackFiles(ArcWindow window, const TArchiverOptions* options, const std::string& destFolder,
                              const TArchiveItems& items) {
    if (archiver_ == nullptr) throw EArchiver(std::string(messages::kCannotDetermineFormat));
    // No detection and no Prepare here: the command loads the library itself.
    const TArchiverOptions& switches = options != nullptr ? *options : options_;
    return RunCommand(&TArchiver::Unpack, window, switches, destFolder, GatherItems(items));
}

}  // namespace korvalen::backup
