#include "korvalen/backup/archiver.h"

#include <ctime>

#include "korvalen/backup/archive_errors.h"

namespace korvalen::backup {

void TArchiver::LoadDLL() { throw EArchiver(std::string(messages::kAbstractLoadDll)); }

void TArchiver::FreeDLL() { throw EArchiver(std::string(messages::kAbstractFreeDll)); }

ArcHandle TArchiver::OpenArchive(ArcWindow, const std::string&, std::uint32_t) { return 0; }

int TArchiver::FindFirst(ArcHandle, const std::string&, ArcEntryInfo&) { return -1; }

int TArchiver::FindNext(ArcHandle, ArcEntryInfo&) { return -1; }

int TArchiver::CloseArchive(ArcHandle) { return 0; }

int TArchiver::Pack(const TArchiverCommand&) { throw EArchiver(std::string(messages::kPackUnsupported)); }

int TArchiver::Delete(const TArchiverCommand&) { throw EArchiver(std::string(messages::kDeleteUnsupported)); }

int TArchiver::Update(const TArchiverCommand&) { throw EArchiver(std::string(messages::kUpdateUnsupported)); }

int TArchiver::MakeSfx(const TArchiverCommand&) { throw EArchiver(std::string(messages::kMakeSfxUnsupported)); }

int TArchiver::UnpackToMemory(const TArchiverCommand&, const TMemoryTarget&) {
    throw EArchiver(std::string(messages::kUnpackToMemoryUnsupported));
}

bool TArchiver::Check(const std::string&, int, int) { throw EArchiver(std::string(messages::kCheckUnsupported)); }

void TArchiver::SetOwnerWindow(ArcWindow window, ArcProgressFn) {
    owner_ = window;
    ownerSet_ = true;
}

void TArchiver::KillOwnerWindow() {
    owner_ = 0;
    ownerSet_ = false;
}

void TArchiver::Prepare() { LoadDLL(); }

std::uint64_t DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime) {
    const int month = (dosDate >> 5) & 0x0F;
    const int day = dosDate & 0x1F;
    const int hour = dosTime >> 11;
    const int minute = (dosTime >> 5) & 0x3F;
    const int second = (dosTime & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0;
    std::tm local{};
    local.tm_year = (dosDate >> 9) + 1980 - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::tm asked = local;
    const std::time_t seconds = std::mktime(&local);
    // mktime rolls an impossible day (31 April) over into the next month.
    if (seconds == static_cast<std::time_t>(-1) || local.tm_mday != asked.tm_mday || local.tm_mon != asked.tm_mon) {
        return 0;
    }
    constexpr std::uint64_t kUnixEpochAsFileTime = 11644473600ULL;
    return (static_cast<std::uint64_t>(seconds) + kUnixEpochAsFileTime) * 10000000ULL;
}

}  // namespace korvalen::backup
