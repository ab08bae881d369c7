#pragma once
#include "PanelHost.h"

#include <QIcon>
#include <QPixmap>

namespace kdx {

// The agent's own pictures, drawn at run time so that no picture file has to travel with the
// program. The image lists keep their index order; each index's meaning is fixed.
TImageList MakeRandomImages(); // imgRandomList, 24 of 16 x 16
TImageList MakeSearchImages(); // imgSearch, 4 of 16 x 16
TImageList MakeOutlookImages(); // imgOutlook, 5 of 32 x 32

QIcon ProgramIcon();
QPixmap LogoPicture(); // 49 x 41, the title strip's logo
QPixmap ProductPicture(QSize size); // the product picture of the status panel and the about box

// Indexes of imgRandomList that the agent itself uses.
namespace images {
inline constexpr int Tick = 9;
inline constexpr int WarningTriangle = 10;
inline constexpr int ThickCross = 11;
inline constexpr int NoEntry = 12;
inline constexpr int LandscapePicture = 14;
inline constexpr int FilmFrame = 15;
inline constexpr int DiscPage = 16;
inline constexpr int PaintBucket = 17;
inline constexpr int MonitorBubble = 18;
inline constexpr int QuestionBubble = 19;
inline constexpr int Globe = 20;
inline constexpr int Sleep = 21;
inline constexpr int Envelope = 22;
inline constexpr int GearWindow = 23;
} // namespace images

} // namespace kdx
