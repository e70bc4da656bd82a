// String ids of the wizard's own texts: page titles and page texts.
#pragma once

namespace PageText {
// Titles, by page index.
constexpr int kTitleIntro = 62100;
constexpr int kTitleStep1 = 62101;  // Step 1 .. Step 7 follow
constexpr int kTitleFinish = 62108;

constexpr int kIntro1 = 62110, kIntro2 = 62111, kIntro3 = 62112, kIntro4 = 62113, kIntro5 = 62114;
constexpr int kFinishText = 62120, kStartOver = 62121;
constexpr int kFontIntro = 62130, kFontSelect = 62131, kFontSample = 62132;
constexpr int kSourceFile = 62140, kSourceClipboard = 62141, kSourceEps = 62142;
constexpr int kSourceScanner = 62143, kBrowseImage = 62144, kBrowseEps = 62145, kSelectScanner = 62146;
constexpr int kOpeningFile = 62147, kPressEsc = 62148, kScanningText = 62149;
constexpr int kEditText = 62150, kSelectText = 62151;
constexpr int kThreshold = 62152, kThresholdGlobal = 62153, kThresholdLocal = 62154;
constexpr int kPlaceText = 62160;
constexpr int kSaveText = 62170;
constexpr int kSaveStep1 = 62171, kSaveSuffixText = 62172, kSaveWillHave = 62173, kSaveAddedToName = 62174;
constexpr int kSaveStep2 = 62175, kSaveFileText = 62176, kSaveStep3 = 62177, kSaveInstallText = 62178;
constexpr int kSaveNameWillBe = 62179, kSaveCopy = 62190, kSaveInstall = 62191;
}  // namespace PageText

// Control ids.
constexpr int IDC_START_OVER = 1063;
constexpr int IDC_THRESHOLD = 1070, IDC_THRESHOLD_GLOBAL = 1071, IDC_THRESHOLD_LOCAL = 1072;
