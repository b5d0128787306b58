// Days and civil dates of the proleptic Gregorian calendar, for the system's
// time texts and the fake's clock alike.
#pragma once

namespace gx {

// Days since 1970-01-01 of a civil date.
constexpr long DaysFromCivil(int year, unsigned month, unsigned day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

struct CivilDate {
    long long year;
    unsigned month, day;
};

// The civil date of a day since 1970-01-01.
constexpr CivilDate CivilFromDays(long long days) {
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

static_assert(DaysFromCivil(1970, 1, 1) == 0, "the epoch");
static_assert(DaysFromCivil(2026, 12, 7) == 20794, "a known day");
static_assert(CivilFromDays(20794).month == 12 && CivilFromDays(20794).day == 7, "and back");

}  // namespace gx
