#pragma once

// Ids of the main window's controls for the placeholders beyond the nine. They are not part
// of dialog template 102 and take numbers it does not use.
namespace LegalIds {

inline constexpr int kContractStartLabel = 1060;
inline constexpr int kContractStart = 1061;
inline constexpr int kContractEndLabel = 1062;
inline constexpr int kContractEnd = 1063;
inline constexpr int kOpenEnded = 1065;
inline constexpr int kServiceYearsLabel = 1066;
inline constexpr int kServiceYears = 1067;
inline constexpr int kIdHint = 1068;
inline constexpr int kCompletenessMark = 1069;

} // namespace LegalIds
