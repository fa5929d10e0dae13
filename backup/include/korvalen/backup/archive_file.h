// The archive component: an archive file name, a switch set and the format
// object the name selects. The backup packs and unpacks through it.
#pragma once

#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korvalen/archiver_api.h"
#include "korvalen/backup/archive_detect.h"
#include "korvalen/backup/archiver.h"
#include "korvalen/backup/archiver_options.h"
#include "korvalen/backup/filters.h"

namespace korvalen::backup {

class TArchiveFile;
class TProgressRelay;

// Progress of a running command: the component, the state, the library's
// information on the member (or, for state kFilterProgressState, the name the
// file scan just added), and abort, which the handler sets to stop.
using TArchiverProgressEvent =
    std::function<void(TArchiveFile& sender, int state, const ArcProgressInfo* lpEis, bool& abort)>;

// One item of a pack or unpack request: a text, a list of texts, a
// null-terminated array of texts, or a variant (a list of values or one
// value; values that are no text nor number are ignored).
class TArchiveItem {
public:
    TArchiveItem(std::string text);                   // NOLINT: items are written as plain texts
    TArchiveItem(const char* text);                   // NOLINT
    TArchiveItem(std::vector<std::string> texts);     // NOLINT
    TArchiveItem(const char* const* nullTerminated);  // NOLINT
    TArchiveItem(const QVariant& value);              // NOLINT

    const std::vector<std::string>& Texts() const { return texts_; }

private:
    std::vector<std::string> texts_;
};
using TArchiveItems = std::vector<TArchiveItem>;

// The items as one list of texts, in item order.
std::vector<std::string> GatherItems(const TArchiveItems& items);

class TArchiveFile {
public:
    explicit TArchiveFile(ArcWindow owner = 0);
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile&) = delete;
    TArchiveFile& operator=(const TArchiveFile&) = delete;

    ArcWindow Owner() const { return owner_; }

    const std::string& FileName() const { return fileName_; }
    // Selects the format from the name first (which may raise and then leaves
    // the name unchanged), then keeps the name.
    void SetFileName(const std::string& path);

    // Size of the output text buffer lent to the library; 0 lends none.
    std::uint32_t OutputSize() const { return static_cast<std::uint32_t>(output_.size()); }
    void SetOutputSize(std::uint32_t size);
    // What the library wrote into the output buffer, up to its first NUL.
    std::string OutputText() const;

    TArchiverOptions& Options() { return options_; }
    const TArchiverOptions& Options() const { return options_; }

    TArchiverType ArchiverType() const { return type_; }
    // atLha and atCab put a new format object in place; atNone changes nothing;
    // atAutoDetect is kept, with the format object; other formats raise EArchiver.
    void SetArchiverType(TArchiverType type);

    // The current format object (none at first).
    TArchiver* Archiver() const { return archiver_.get(); }

    TArchiverProgressEvent OnProgress;

    // The command text of the last pack or unpack.
    const std::string& LastCommandLine() const { return lastCommandLine_; }

    // The clock the file scan reads today's year from (this PC's date until
    // set); it must outlive the component.
    void SetClock(const platform::Clock& clock) { clock_ = &clock; }

    // Packs the items into FileName, with options or, when null, Options().
    // Returns the library's code; ARC_ERR_CANCELLED (32800) when the progress
    // handler aborted the file scan; 0 without calling the library when the
    // scan found nothing.
    int PackFiles(ArcWindow window, const TArchiverOptions* options, const std::string& baseFolder,
                  const TArchiveItems& items);
    // Unpacks the named members of FileName (all of them when the items hold no
    // name) into destFolder. Returns the library's code.
    int UnpackFiles(ArcWindow window, const TArchiverOptions* options, const std::string& destFolder,
                    const TArchiveItems& items);

private:
    // Runs one pack or unpack with the relay around it; the last command line
    // is taken over and the relay stopped however the command ends.
    int RunCommand(int (TArchiver::*operation)(const TArchiverCommand&), ArcWindow window,
                   const TArchiverOptions& options, const std::string& folder, std::vector<std::string> files);
    TProgressRelay* StartRelay();
    void FinishCommand(TProgressRelay* relay);

    ArcWindow owner_;
    std::string fileName_;
    std::vector<char> output_;
    TArchiverOptions options_;
    TArchiverType type_ = atAutoDetect;
    std::unique_ptr<TArchiver> archiver_;
    std::string lastCommandLine_;
    std::unique_ptr<TProgressRelay> relay_;
    const platform::Clock* clock_;
};

}  // namespace korvalen::backup
