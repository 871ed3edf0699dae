#pragma once

#include "platform/NameRules.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tw::copy {

// The number of a file's place in the run, zero-padded to the digits of the run's file count:
// place 7 of 100..999 files is "007", of 9 files "7". A place past the count (the list grew
// after it was counted) takes the digits it needs.
std::string placeNumber(std::int64_t place, std::int64_t count);

// The name with its place in front, "007 - Song.mp3". Where the destination would refuse the
// longer name, its stem is cut (whole characters, the extension kept) so that it fits with
// room left for an automatic renaming's "_001". The name is expected device-safe already;
// a cut stem of a name without extension gets no dot or space at its end on a device that
// refuses one.
std::string numberedName(const std::string& name, std::int64_t place, std::int64_t count,
                         const platform::NameRules& rules);

// The length of a name as the destination counts it against rules.maxNameBytes: UTF-16
// units on a device of Windows names (vfat, exFAT and NTFS allow 255 characters), bytes on
// any other.
std::size_t deviceNameLength(std::string_view name, const platform::NameRules& rules);

} // namespace tw::copy
