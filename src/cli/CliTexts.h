// String ids of the command line's own texts.
#pragma once

constexpr int kCliUsage = 62200;
constexpr int kCliUsageBuild = 62201;
constexpr int kCliUsageTrace = 62202;
constexpr int kCliUsageFonts = 62203;
constexpr int kCliUsageScan = 62204;
constexpr int kCliUsageThreshold = 62205;
constexpr int kCliUnknownCommand = 62210;
constexpr int kCliUnknownOption = 62211;
constexpr int kCliMissingValue = 62212;
constexpr int kCliBadValue = 62213;
constexpr int kCliMissingOption = 62214;
constexpr int kCliEpsNoEdits = 62215;
constexpr int kCliNoSuchFont = 62216;
constexpr int kCliWrote = 62217;
constexpr int kCliInstalled = 62218;
constexpr int kCliNoFonts = 62219;
constexpr int kCliCannotWrite = 62220;
constexpr int kCliNoCharMap = 62221;
constexpr int kCliSaveFailed = 62222;
constexpr int kCliUnplaceable = 62223;
constexpr int kCliNoWizard = 62243;
constexpr int kCliNoScanner = 62244;
constexpr int kCliScannerOpen = 62245;
constexpr int kCliScanFailed = 62246;
constexpr int kCliScanFormat = 62247;
constexpr int kCliScanned = 62248;
constexpr int kCliSelectionOutside = 62224;
constexpr int kCliUsageDump = 62240;
constexpr int kCliCannotOpen = 62241;
constexpr int kCliUnreadableFont = 62242;
