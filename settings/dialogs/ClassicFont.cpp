#include "ClassicFont.h"

#include <QFile>
#include <QFontDatabase>

bool LoadClassicFont()
{
    const QString family = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::families().contains(family))
        return true;
    const QString file = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(file))
        return false;
    return QFontDatabase::addApplicationFont(file) >= 0;
}
