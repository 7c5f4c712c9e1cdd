#include "StripAccessible.h"

#include "Monitor.h"
#include "TFlatProgressBar.h"
#include "TfrmMain.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <array>

namespace {

enum class Part { Percent, Time, Icon };

// What the state icon means: the status box's words for the state it shows.
QString iconMeaning(QChar state)
{
    switch (state.unicode()) {
    case 'A':
        return QStringLiteral("Battery Power Full - AC Power");
    case 'C':
        return QStringLiteral("Battery Charging");
    case 'F':
    case 'H':
    case 'E':
        return QStringLiteral("Battery Power OK");
    case 'W':
        return QStringLiteral("Battery Power Critical");
    default:
        return QStringLiteral("Error! Cannot Determine Battery Status");
    }
}

// A label or the icon: painted by the strip, so an interface without an object of its own.
class StripPartAccessible final : public QAccessibleInterface {
public:
    StripPartAccessible(TfrmMain *strip, Part part)
        : m_strip(strip)
        , m_part(part)
    {
    }

    bool isValid() const override { return !m_strip.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_strip ? m_strip->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_strip.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!m_strip || t != QAccessible::Name)
            return {};
        switch (m_part) {
        case Part::Percent:
            return m_strip->lblPercent.text();
        case Part::Time:
            return m_strip->lblTime.text();
        case Part::Icon:
            return iconMeaning(m_strip->monitor().DisplayState);
        }
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!m_strip)
            return {};
        QRect local;
        switch (m_part) {
        case Part::Percent:
            local = m_strip->lblPercent.geometry();
            break;
        case Part::Time:
            local = m_strip->lblTime.geometry();
            break;
        case Part::Icon: {
            const BarLayout &l = m_strip->layout();
            local = QRect(l.IconLeft, 2, l.IconWidth, l.IconHeight);
            break;
        }
        }
        return QRect(m_strip->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override
    {
        return m_part == Part::Icon ? QAccessible::Graphic : QAccessible::StaticText;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !m_strip || !m_strip->isVisible();
        return s;
    }

private:
    QPointer<TfrmMain> m_strip;
    Part m_part;
};

// The strip's children in reading order: percent, gauge, time, icon.
class StripWindowAccessible final : public QAccessibleWidget {
public:
    explicit StripWindowAccessible(TfrmMain *strip)
        : QAccessibleWidget(strip, QAccessible::Window)
    {
    }
    ~StripWindowAccessible() override
    {
        for (QAccessible::Id id : m_parts) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return 4; }

    QAccessibleInterface *child(int index) const override
    {
        switch (index) {
        case 0:
            return part(Part::Percent);
        case 1:
            return QAccessible::queryAccessibleInterface(strip()->ProgressBar);
        case 2:
            return part(Part::Time);
        case 3:
            return part(Part::Icon);
        default:
            return nullptr;
        }
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *c = child(i);
            if (c && c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }

    QAccessibleInterface *part(Part which) const
    {
        QAccessible::Id &id = m_parts[std::size_t(which)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new StripPartAccessible(strip(), which));
        return QAccessible::accessibleInterface(id);
    }

private:
    TfrmMain *strip() const { return static_cast<TfrmMain *>(widget()); }

    mutable std::array<QAccessible::Id, 3> m_parts{};
};

void notifyNameChanged(TfrmMain *strip, Part which)
{
    if (!QAccessible::isActive())
        return;
    auto *iface =
        dynamic_cast<StripWindowAccessible *>(QAccessible::queryAccessibleInterface(strip));
    if (!iface) // the factory is not installed
        return;
    QAccessibleEvent event(iface->part(which), QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace

namespace StripAccessible {

void install()
{
    QAccessible::installFactory(&factory);
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TfrmMain"))
        return new StripWindowAccessible(static_cast<TfrmMain *>(object));
    return nullptr;
}

void notifyPercentChanged(TfrmMain *strip)
{
    notifyNameChanged(strip, Part::Percent);
}

void notifyIconChanged(TfrmMain *strip)
{
    notifyNameChanged(strip, Part::Icon);
}

} // namespace StripAccessible
