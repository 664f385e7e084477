// The game's colours, in one place: those of its windows' layouts, the
// bands of its scene (which full screen carries on to the screen's edges),
// and the picture-book colours of the parents' window and of the frames
// drawn round the windows shown over the game.
#pragma once

#include <QColor>

namespace assets {

// The layouts.
inline const QColor kNavy{0, 0, 128};
inline const QColor kLightYellow{255, 255, 128};
inline const QColor kPink{255, 192, 192};
inline const QColor kRed{255, 0, 0};
inline const QColor kYellow{255, 255, 0};

// The scene's bands, top to bottom, and the rows where the lower three begin.
inline const QColor kSky{142, 207, 245};
inline const QColor kGrass{126, 199, 34};
inline const QColor kBand{118, 100, 86};
inline const QColor kStrip{0, 178, 236};
constexpr int kGrassRow = 225;
constexpr int kBandRow = 385;
constexpr int kStripRow = 395;

// The picture book: a deeper sky, the balls' pink, the sign's wood, dark
// wood for titles and a soft brown-grey for the rest of the text, pale lines.
inline const QColor kSkyDeep{0x2a, 0x8f, 0xc9};
inline const QColor kBallPink{0xf7, 0x6a, 0xa8};
inline const QColor kWood{0x8b, 0x5a, 0x2b};
inline const QColor kTitleText{0x5e, 0x3a, 0x17};
inline const QColor kText{0x6b, 0x5f, 0x55};
inline const QColor kGridLine{0xe4, 0xec, 0xf0};
inline const QColor kAxisLine{0xb4, 0xc4, 0xcc};
inline const QColor kCardBorder{0xd3, 0xe3, 0xec};
inline const QColor kCloseRed{228, 64, 96};
// An apricot for what is right but slow, between the balls' pink and the
// greens.
inline const QColor kApricot{0xf7, 0xb2, 0x5e};

// No play, then five greens from the palest to the meadow's and darker.
inline const QColor kShades[6] = {{0xec, 0xf1, 0xe8}, {0xd4, 0xee, 0xb0}, {0xad, 0xdc, 0x72},
                                  {0x7e, 0xc7, 0x22}, {0x58, 0xa1, 0x17}, {0x3a, 0x77, 0x10}};

}  // namespace assets
