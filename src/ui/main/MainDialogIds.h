#pragma once

// Control ids of the main dialog (dialog template 102), the numbers its widgets carry as
// their objectName.
namespace MainIds {

inline constexpr int kDialog = 102;
inline constexpr int kAboutMenuString = 101;

inline constexpr int kTemplateList = 1003;
inline constexpr int kSheet = 1009;
inline constexpr int kTemplateName = 1005;
inline constexpr int kPreview = 1006;
inline constexpr int kBannerStep2 = 1001;

inline constexpr int kNameLabel = 1011;
inline constexpr int kName = 1012;
inline constexpr int kGenderLabel = 1013;
inline constexpr int kGender = 1014;
inline constexpr int kIdNumberLabel = 1015;
inline constexpr int kIdNumber = 1016;
inline constexpr int kCompanyLabel = 1017;
inline constexpr int kCompany = 1018;
inline constexpr int kDepartmentLabel = 1019;
inline constexpr int kDepartment = 1020;
inline constexpr int kPositionLabel = 1021;
inline constexpr int kPosition = 1022;
inline constexpr int kJoinDateLabel = 1023;
inline constexpr int kJoinDate = 1024;
inline constexpr int kLeaveDateLabel = 1025;
inline constexpr int kLeaveDate = 1026;
inline constexpr int kReasonLabel = 1027;
inline constexpr int kReason = 1028;

inline constexpr int kGenerate = 1029;
inline constexpr int kCopyText = 1030;
inline constexpr int kPrintPreview = 1031;
inline constexpr int kExportPdf = 1033;
inline constexpr int kResult = 1008;

inline constexpr int kCompanyLibrary = 1153;
inline constexpr int kDepartmentLibrary = 1154;
inline constexpr int kPositionLibrary = 1155;
inline constexpr int kReasonLibrary = 1157;
inline constexpr int kTemplateLibrary = 1158;
inline constexpr int kInfoPanel = 594;
inline constexpr int kScrollBar = 1007;

} // namespace MainIds
