#include "ClassicFont.h"

#include <QFile>
#include <QFontDatabase>

namespace {

void loadStandIn()
{
    // Once per process; a missing file simply leaves the substitute font.
    static const bool loaded = [] {
        const QString file = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
        return QFontDatabase::families().contains(QStringLiteral("Tahoma")) ||
               (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0);
    }();
    (void)loaded;
}

} // namespace

QFont ClassicDialogFont()
{
    loadStandIn();
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma")});
    font.setPixelSize(11);
    return font;
}
