#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

// A text label painted by the strip itself (so the bevel stays drawn over it). It sizes itself
// to its text and keeps its left edge; setting the same text again costs nothing.
class StripLabel {
public:
    explicit StripLabel(QWidget *owner, QString text)
        : m_owner(owner)
        , m_text(std::move(text))
    {
    }

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    void setFont(const QFont &font);
    const QFont &font() const { return m_font; }
    const QRect &geometry() const { return m_geometry; }
    void setGeometry(const QRect &geometry);

    void paint(QPainter &painter) const;

private:
    void resizeToText();

    QWidget *m_owner;
    QString m_text;
    QFont m_font;
    QRect m_geometry;
};
