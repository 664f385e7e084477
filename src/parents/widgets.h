// Small helpers for building the parents' windows and dialogs: a label in
// the game's font named for the style sheet, and a box layout in one line.
#pragma once

#include <QLabel>
#include <QLayout>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <type_traits>

#include "platform/songfont.h"

namespace history {

// A label named for the style sheet, in the game's font; a `wrapped` one
// breaks its lines to the width it is given, a `selectable` one lets its
// text be copied.
inline QLabel* label(const QString& text, const char* name, int pixelSize, QWidget* parent, bool bold = false,
                     bool wrapped = false, bool selectable = false)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(vb::songFont(pixelSize, bold));
    l->setWordWrap(wrapped);
    if (selectable)
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// A box layout of `parent` (a widget, or a layout it is added to).
template <class Box, class Parent>
Box* box(Parent* parent, int spacing, const QMargins& margins = QMargins())
{
    auto* layout = new Box;
    if constexpr (std::is_base_of_v<QLayout, Parent>)
        parent->addLayout(layout);
    else
        parent->setLayout(layout);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace history
