#pragma once

#include <QStringView>

// The placeholders the completeness check looks for. The first three are the ones this room
// brings to the composer; the others are among the composer's nine.
namespace Legal {

inline constexpr QStringView kContractTermMarker = u"【合同期限】";
inline constexpr QStringView kServiceYearsMarker = u"【工作年限】";
inline constexpr QStringView kIssueDateMarker = u"【出具日期】";

inline constexpr QStringView kPositionMarker = u"【职位】";
inline constexpr QStringView kJoinDateMarker = u"【入职日期】";
inline constexpr QStringView kLeaveDateMarker = u"【离职日期】";

} // namespace Legal
