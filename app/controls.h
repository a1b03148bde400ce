#pragma once
// Names of the controls the logic reads or changes. The catalogue (catalogue.cpp) builds the
// form from these names; a control's facts stand only there.
#include "app/form_model.h"

namespace tbx::id {

enum : ControlId {
  // Material tab
  kMaterialList = 100,
  // Thread tab
  kThreadComment = 105, kThreadInside = 110, kThreadOutside = 120, kThreadSize = 125,
  kThreadMajorDia = 130, kThreadPitch = 135, kThreadZStart = 140, kThreadZEnd = 145,
  kThreadXClearance = 155, kDwellPasses = 170, kLeads = 180, kMaxSpm = 190,
  kThreadPasses = 191, kThreadPassesLabel = 231, kPipeThread = 195, kTaperAngle = 210,
  kTaperByAngle = 220, kChamfer45 = 225, kChamferZero = 235, kChamferFrame = 300,
  kToolAngle0 = 240, kToolAngle29 = 245, kToolAngle30 = 250, kToolAngle55 = 255,
  kToolAngle60 = 260, kToolAngle80 = 265,
  kOtControl = 270, k6tControl = 275, kG32Code = 280, kG33Code = 285, kThreadOk = 305,
  // C'Sink/Drill tab
  kCSinkComment = 310, kCSinkDrillSize = 320, kCSinkDrillDia = 325, kCSinkDia = 330,
  kCSinkZStart = 335, kCSinkClearance = 340, kCSinkDwell = 345, kCSinkFeed = 350,
  kAngle90 = 385, kAngle118 = 390, kAngle135 = 395, kCenterDrill60 = 400,
  kPilotDia = 405, kPilotDiaLabel = 415, kCenterDrillFrame = 465,
  kCenter0 = 410, kCenter1 = 420, kCenter2 = 425, kCenter3 = 430, kCenter4 = 435,
  kCenter5 = 440, kCenter6 = 445, kCenter7 = 450, kCenter8 = 455, kCSinkOk = 470,
  // Deep Drill tab
  kDeepDrillDia = 475, kDeepStart = 480, kDeepDepth = 485, kDeepZClearance = 490,
  kRapidClearance = 495, kPeckMax = 500, kPeckMin = 505, kPercentPeck = 510,
  kDeepDwell = 515, kDeepFeed = 520,
  kRapidClearanceLabel = 545, kPeckMinLabel = 555, kPercentPeckLabel = 560,
  kG83 = 575, kEqualPeck = 580, kPercentPeckMode = 585,
  kFlatBottom = 590, kDeep118 = 595, kDeep135 = 600,
  kDeepDrillSize = 610, kDeepComment = 615, kDeepOk = 625,
  // Ream tab
  kReamComment = 640, kReamZStart = 650, kReamDepth = 655, kReamerDia = 660,
  kReamRapidClearance = 665, kReamFeed = 670, kFeedOut = 700, kReamOk = 705,
  // Tap tab
  kTapComment = 710, kTapSize = 715, kTapMajorDia = 720, kTapPitch = 725, kTapZStart = 730,
  kTapDepth = 735, kTapClearance = 740, kLeftHand = 770, kG84 = 775, kTapG32 = 780,
  kTapG33 = 785, kTapOk = 795,
  // Groove tab
  kGrooveComment = 805, kGrooveOutside = 810, kGrooveInside = 815, kGrooveMajorDia = 825,
  kGrooveMinorDia = 830, kGrooveZStart = 835, kZAbsClr = 840, kXIncClr = 845,
  kGrooveWidth = 850, kToolWidth = 855, kPercentStep = 860, kGrooveFeed = 865,
  kXBottomStock = 870, kZWallStock = 875, kRightSize = 935, kLeftSize = 940,
  kFinishPass = 962, kGrooveOk = 965, kZAbsClrLabel = 970, kRightToggle = 972,
  kLeftToggle = 973,
  // Drill + Tap Data tab
  kDataDrillList = 975, kDataTapSize = 980, kPercentThread = 985, kTapDrillResult = 1005,
  kTapDia = 1100, kDataPitch = 1110, kCalc = 1120, kStandardTap = 1150, kColdFormTap = 1160,
  kNearestDrills = 1006,
  // Settings tab
  kXToolChange = 1010, kZToolChange = 1015, kMetric = 1030, kSettingsOk = 1037,
  // Always visible
  kTool = 1040, kToolName = 1041, kOffset = 1045, kCarbide = 1050, kHss = 1055, kCoolant = 1060, kSpm = 1065,
  kOutput = 1070, kUndo = 1080, kCopy = 1085, kExit = 1090, kTabs = 1095,
  // Face tab
  kFaceComment = 1200, kFaceStockDia = 1205, kFaceEndDia = 1210, kFaceZStart = 1215,
  kFaceZFinal = 1220, kFaceDepthOfCut = 1225, kFaceFinishAllowance = 1230,
  kFaceRoughFeed = 1235, kFaceFinishFeed = 1240, kFaceXClearance = 1245,
  kFaceZClearance = 1250, kFaceCss = 1255, kFaceMaxRpm = 1257, kFaceOk = 1260,
  kFaceCompensation = 1270, kFaceCompNone = 1271, kFaceCompComputed = 1272, kFaceCompG41G42 = 1273,
  // Turn tab
  kTurnComment = 1300, kTurnOutside = 1305, kTurnInside = 1310, kTurnStartDia = 1315,
  kTurnFinalDia = 1320, kTurnZStart = 1325, kTurnZEnd = 1330, kTurnDepthOfCut = 1335,
  kTurnFinishAllowanceX = 1340, kTurnFinishAllowanceZ = 1345, kTurnRoughFeed = 1350,
  kTurnFinishFeed = 1355, kTurnChamfer = 1360, kTurnClearance = 1365, kTurnCss = 1370,
  kTurnMaxRpm = 1372, kTurnOk = 1380,
  kTurnCompensation = 1385, kTurnCompNone = 1386, kTurnCompComputed = 1387, kTurnCompG41G42 = 1388,
  // Part-off tab
  kPartComment = 1400, kPartStockDia = 1405, kPartEndDia = 1410, kPartZPosition = 1415,
  kPartToolWidth = 1420, kPartPeck = 1425, kPartFeed = 1430, kPartReducedFeedDia = 1435,
  kPartReducedFeed = 1440, kPartChamfer = 1445, kPartClearance = 1450, kPartCss = 1455,
  kPartMaxRpm = 1457, kPartOk = 1460,
  kPartCompensation = 1465, kPartCompNone = 1466, kPartCompComputed = 1467, kPartCompG41G42 = 1468,
  // Settings tab: the machine facts of toolpath.txt
  kMachineHeading = 1500, kRapidX = 1505, kRapidZ = 1510, kMaxZFeed = 1515, kMachineMaxRpm = 1520,
  kToolChangeTime = 1525, kG76MinCut = 1530, kG76Finish = 1535, kG76FinishPasses = 1540,
  kG76Chamfer = 1545, kG83Clearance = 1550,
  // Settings tab: the program's start and end
  kProgramHeading = 1555, kProgramStartEnd = 1560, kProgramNumber = 1565, kProgramName = 1570,
  kProgramStartCodes = 1575,
  // Profile tab
  kProfileComment = 1600, kProfileOutside = 1605, kProfileInside = 1606, kProfileContour = 1610,
  kProfileStartDia = 1615, kProfileStartZ = 1620, kProfileDepthOfCut = 1625,
  kProfileFinishAllowanceX = 1630, kProfileFinishAllowanceZ = 1635, kProfileRoughFeed = 1640,
  kProfilePlungeFeed = 1645, kProfileFinishFeed = 1650, kProfileClearance = 1655, kProfileCss = 1660,
  kProfileMaxRpm = 1662, kProfileOk = 1670,
  kProfileOutput = 1675, kProfileMoves = 1676, kProfileCycle = 1677,
  kProfileDirection = 1680, kProfileTurn = 1681, kProfileFace = 1682,
  kProfileCompensation = 1685, kProfileCompNone = 1686, kProfileCompComputed = 1687,
  kProfileCompG41G42 = 1688, kProfileFromStock = 1690,
};

}  // namespace tbx::id
