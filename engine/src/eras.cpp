#include "korvalen/engine/eras.h"

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "era_table.h"
#include "korvalen/engine/errors.h"

namespace korvalen::engine {
namespace {

constexpr double kMillisPerDay = 86400000.0;
constexpr DayNumber kUnixEpochDay = 25569;

UDate MillisOf(DayNumber day) { return (day - kUnixEpochDay) * kMillisPerDay; }

std::string FirstCharacterOf(const std::string& text) {
    if (text.empty()) return text;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return text.substr(0, length);
}

// The eras and the day each began, asked of ICU once. ICU also knows the
// eras before 明治, but the desktop calendar this program grew up on starts
// at 明治, and ICU places the older ones on Gregorian days they never had;
// the era in force when Japan took up the Gregorian calendar (1873) is the
// first one used.
std::vector<EraStart> LoadEraStarts() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
    icu::SimpleDateFormat eraFormat(icu::UnicodeString(u"GGGG"), locale, status);
    if (U_FAILURE(status) || !calendar) {
        throw CalculationError("和暦（元号）の情報を取得できません。");
    }
    eraFormat.setTimeZone(*icu::TimeZone::getGMT());

    auto eraOf = [&](DayNumber day) {
        calendar->setTime(MillisOf(day), status);
        return calendar->get(UCAL_ERA, status);
    };
    const DayNumber lowest = DayNumberFromCivil(1800, 1, 1);
    const DayNumber highest = DayNumberFromCivil(9999, 12, 31);
    const int firstEra = eraOf(DayNumberFromCivil(1873, 1, 1));
    const int lastEra = eraOf(highest);

    std::vector<EraStart> eras;
    for (int era = firstEra; era <= lastEra; ++era) {
        // Eras only ever advance with the date: the first day of `era` is
        // the smallest day whose era is not below it.
        std::int64_t lo = static_cast<std::int64_t>(lowest);
        std::int64_t hi = static_cast<std::int64_t>(highest);
        while (lo < hi) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (eraOf(static_cast<DayNumber>(mid)) >= era) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        const DayNumber first = static_cast<DayNumber>(lo);
        icu::UnicodeString name;
        eraFormat.format(MillisOf(first), name);
        std::string utf8;
        name.toUTF8String(utf8);
        eras.push_back(EraStart{first, CivilFromDayNumber(first).year, utf8, FirstCharacterOf(utf8)});
    }
    if (U_FAILURE(status) || eras.empty()) {
        throw CalculationError("和暦（元号）の情報を取得できません。");
    }
    return eras;
}

}  // namespace

const std::vector<EraStart>& EraStarts() {
    static const std::vector<EraStart> eras = LoadEraStarts();
    return eras;
}

const EraStart* EraOf(DayNumber day) {
    const auto& eras = EraStarts();
    if (day < eras.front().firstDay) return nullptr;
    // Most dates lie in the latest eras: look from the newest backwards.
    for (auto era = eras.rbegin(); era != eras.rend(); ++era) {
        if (era->firstDay <= day) return &*era;
    }
    return &eras.front();
}

std::optional<EraDate> JapaneseEraDateOf(DayNumber day) {
    const EraStart* era = EraOf(day);
    if (!era) return std::nullopt;
    const CivilDate civil = CivilFromDayNumber(day);
    return EraDate{era->name, civil.year - era->firstGregorianYear + 1, civil.month, civil.day};
}

}  // namespace korvalen::engine
