// The parents' window's grid of sums ("每道题"): every sum of the level as
// practice counts them, a square each, rows by the units digit of the sign's
// total and columns by the amount on the scale (at level 1 by its units
// digit), coloured by how its loads in the chosen games went. A legend, the
// mastery time the colours go by and whether practice was on stand beside
// the grid; hovering a square tells its figures.
#pragma once

#include <QRectF>
#include <QString>

#include <vector>

#include "history/records.h"
#include "parents/chart.h"
#include "parents/figures.h"

namespace history {

class SumGrid : public Card {
    Q_OBJECT
public:
    explicit SumGrid(QWidget* parent = nullptr);

    // Shows the sums of `level` over `games` (the window's choice), fast at
    // or under `masteryTicks` (the answer clock's ticks of 10 ms).
    void setGames(const std::vector<const Game*>& games, int level, int masteryTicks);

    int level() const { return level_; }
    const std::vector<SumCell>& cells() const { return cells_; }
    // The square of the sum on a sign ending in `signUnits` with `amountUnits`
    // (level 0: the amount 1-9, level 1: its units 0-9); empty for none.
    QRectF cellRect(int signUnits, int amountUnits) const;
    // What hovering `cell` tells.
    QString toolTipFor(const SumCell& cell) const;
    // The line on whether practice was on for the games shown.
    QString practiceText() const { return practiceText_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintContent(QPainter& p) override;

private:
    int columns() const { return level_ == 0 ? 9 : 10; }
    double columnPitch() const;  // from a column to the next
    QPointF origin() const;  // the first square's top left
    double legendLeft() const;
    const SumCell* cellAt(const QPointF& pos) const;

    int level_ = 0;
    int masteryTicks_ = 0;
    std::vector<SumCell> cells_;
    QString practiceText_;
    const double rowLabelWidth_;
};

}  // namespace history
