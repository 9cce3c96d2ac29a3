#pragma once

namespace baisuu {

// The sizes of the tables every module indexes by roster number and by level.
// The data files of the whole drill family hold numbers in these ranges, so
// they are fixed here once.

// Roster numbers run 0..kHighestPupil; 0 stands for no pupil.
constexpr int kHighestPupil = 5000;
constexpr int kPupilSlots = kHighestPupil + 1;

// Level slots run 0..kHighestLevel; 0 is not used.
constexpr int kHighestLevel = 35;
constexpr int kLevelSlots = kHighestLevel + 1;

// Levels 1..kHighestNamedLevel carry names in the level catalogue; a run can
// be started at any of them.
constexpr int kHighestNamedLevel = 24;

} // namespace baisuu
