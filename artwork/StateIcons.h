#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

// The program's own artwork, drawn as vectors at the size it is shown.
enum class StateIcon { AC, Charging, Full, Half, Empty, EmptyWarn, None };

// Icon of a display state letter (A, C, F, H, E, W; any other letter gives None).
StateIcon stateIconFor(QChar displayState);

void paintStateIcon(QPainter &painter, const QRectF &rect, StateIcon icon);
void paintAppIcon(QPainter &painter, const QRectF &rect); // the application icon
void paintLogo(QPainter &painter, const QRectF &rect);    // the about box's product logo

// Multi-size QIcons for the tray and the task list.
QIcon stateQIcon(StateIcon icon);
QIcon appQIcon();
