#pragma once

// An icon the program draws itself at whatever size is asked, so that it stays sharp at any
// scale; painted at the pixel ratio of the screen it lands on.
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <functional>

namespace quorvel::ui {

// The icon's pixels at one size in device pixels (never an empty one), in one mode.
using IconDrawing = std::function<QPixmap(const QSize& pixels, QIcon::Mode mode)>;

// `key` names the kind of icon, `iconName` is the name a desktop may look up in its own theme
// instead of taking the pixels, and `sizes` are the sizes it offers when asked which it has.
QIcon drawnIcon(const QString& key, const QString& iconName, IconDrawing draw,
                const QList<QSize>& sizes = {});

}  // namespace quorvel::ui
