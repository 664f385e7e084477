// The numbered pictures and sounds embedded in the program.
//
// Pictures live at ":/pictures/<id>.bmp" (24-bit, opaque), sounds at
// ":/sounds/<id>.wav" (complete RIFF WAVE images), the window icon at
// ":/pictures/icon.png". A picture is read from the resources once and kept;
// sounds and the icon are read again at every load.
//
// The pictures' SVG sources live at ":/art/". On a screen that scales (a
// desktop scaling by 1.25, 1.5, 2 ..., or the --zoom option) a picture box
// draws a picture loaded here from its source at the screen's own resolution
// instead of enlarging the bitmap; those renderings are kept, by picture and
// device size, for the rest of the run.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <set>
#include <vector>

#include "platform/devicegrid.h"

class QPainter;

namespace assets {

// Loads picture `id`. Returns a null image when there is no such picture.
QImage LoadResPicture(std::int16_t id);

// Picture `id` drawn from its SVG source for a box whose logical pixels fall
// on device pixels by `grid`: grid.size() of the picture's size, its flat
// colour areas on whole device pixels. Returns a null image when there is no
// such picture.
QImage renderPicture(std::int16_t id, const vb::DeviceGrid& grid);

// A picture the first window shows: with `grid` at a ratio of 1 the picture
// as loaded, otherwise its rendering for a box at `grid`.
struct StartupPicture {
    std::int16_t id;
    vb::DeviceGrid grid;
};

// Starts making `pictures` on a thread of its own, in the order given, so that
// LoadResPicture() and renderPicture() find them made (or wait for the one
// being made) while start-up goes on. Only the first call does anything.
void prepareStartupPictures(std::vector<StartupPicture> pictures);

// Loads all bytes of sound `id` of resource type "WAV". Returns an empty array
// when there is no such sound.
QByteArray LoadResData(std::int16_t id, const char* type = "WAV");

// The program icon (32 x 32 with a 1-bit mask).
QImage programIcon();

// The window's icon at every size a desktop asks for: the program icon at
// 32 x 32, and the desktop icon's renderings at the hicolor sizes from 16 to
// 256, so a taskbar or switcher on a scaled screen shows it sharp rather than
// the 32 x 32 picture blown up. Each size is read when first asked for.
QIcon windowIcon();

// Draws the scene's decoration `id` ("cloud", "daisy", "tulip", "tuft": the
// sky and the meadow of full screen and of the first window) with its top
// left corner at `corner`, `scale` times its size in pixels of the game.
void drawDecoration(QPainter& painter, const QString& id, QPointF corner, double scale);

// Test seam: ids listed here load as if they were missing.
void setMissingForTest(std::set<int> ids);

}  // namespace assets
