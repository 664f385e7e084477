// Drawing the game's pictures from their SVG sources, shared by the build
// tool that renders the embedded 1x bitmaps (tools/render_art) and by the
// game, which renders the same sources at the screen's own resolution when
// the desktop scales or the game is zoomed.
//
// Every picture id has one SVG file whose name starts with the id
// ("101-lamb-walk-a.svg"); the ten digits 300..309 share one template whose
// name starts with the id range ("300-309-digit.svg"). An SVG is drawn at its
// exact size in pixels: its width, height and viewBox are the picture's size,
// so that one SVG unit is one logical pixel.
//
// Flat rectangles marked shape-rendering="crispEdges" (the scene's colour
// bands, the sign's face, the backdrops of the lamb, the heaps and the
// buttons, the digits' frame) are the parts other drawings must meet exactly.
// At ratios other than 1 their edges are moved onto whole device pixels, by
// the same rounding that places the picture boxes (platform/devicegrid.h), so
// that a band ends on the same device row in every picture and in the boxes
// the game fills.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

#include "platform/devicegrid.h"

namespace artwork {

struct PictureSize {
    int id;
    int width;
    int height;
};

// Every picture the game loads, with its size in logical pixels.
const std::vector<PictureSize>& pictures();

// The size of picture `id`, or an invalid size when the game has no such picture.
QSize pictureSize(int id);

constexpr int kFirstDigit = 300;

// Maps each picture id to the SVG file in `artDir` that draws it. Files that
// break the naming rules or draw an id twice are listed in `errors`.
std::map<int, QString> mapSources(const QDir& artDir, QStringList& errors);

// The SVG text that draws picture `id`, made from the text of its source
// file: the digit template gets the lit segments of its digit, every other
// picture is its file as it is. Empty, with `error` set, when the template
// lacks its segments or is not XML.
QByteArray pictureSvg(int id, const QByteArray& source, QString& error);

// The whole-pixel coordinates of the edges of the flat rectangles of `svg`
// (columns in `xs`, rows in `ys`, each sorted, without repeats). A picture
// drawn through two grids that map these the same way and give the same
// device size comes out the same.
struct FlatEdges {
    std::vector<int> xs, ys;
};
FlatEdges flatEdges(const QByteArray& svg);

// Renders `svg`, a picture of `logical` size, as an opaque image of
// grid.size(logical) device pixels. With a ratio of 1 that is the picture at
// its exact size, one SVG unit to one pixel; at other ratios the flat
// rectangles' edges fall on whole device pixels as `grid` maps them. Returns
// a null image, with `error` set, when the SVG is not valid or not of that
// size.
QImage render(const QByteArray& svg, QSize logical, const vb::DeviceGrid& grid, QString& error);

}  // namespace artwork
