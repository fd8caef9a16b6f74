// The counts and the time at which the script changes what it shows: the
// scene thresholds on instrument1Hits, the credits on instrument4Hits and the
// closing lines on the show time. The counters only grow, so the scenes
// follow each other in this order within a frame and across frames.
#pragma once

#include <cstdint>

inline constexpr int32_t kBackgroundGone = 704;
inline constexpr int32_t kTitleStart = 706;
inline constexpr int32_t kGreetingsStart = 960;
inline constexpr int32_t kClosingStart = 1180;
// A credit shows once instrument4Hits is above these.
inline constexpr int32_t kFirstCredit = 141;
inline constexpr int32_t kSecondCredit = 149;
// The closing lines show once the show time is above this.
inline constexpr double kClosingLinesAfter = 86.0;
