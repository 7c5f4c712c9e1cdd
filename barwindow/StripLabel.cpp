#include "StripLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

void StripLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    const QRect before = m_geometry;
    m_text = text;
    resizeToText();
    m_owner->update(before.united(m_geometry));
}

void StripLabel::setFont(const QFont &font)
{
    m_font = font;
    resizeToText();
}

void StripLabel::setGeometry(const QRect &geometry)
{
    if (geometry == m_geometry)
        return;
    m_owner->update(m_geometry);
    m_geometry = geometry;
    m_owner->update(m_geometry);
}

void StripLabel::resizeToText()
{
    const QFontMetrics fm(m_font, m_owner);
    m_geometry.setSize(QSize(fm.horizontalAdvance(m_text), fm.height()));
}

void StripLabel::paint(QPainter &painter) const
{
    painter.setFont(m_font);
    painter.setPen(m_owner->palette().color(QPalette::WindowText));
    const QFontMetrics fm(m_font, m_owner);
    painter.drawText(m_geometry.left(), m_geometry.top() + fm.ascent(), m_text);
}
