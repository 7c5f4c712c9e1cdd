// Shows the flat kit's controls in their states, to look at them (and take screenshots).
#include "Gallery.h"

#include "KitAccessible.h"
#include "TFlatHint.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    KitAccessible::install();
    QFont kitFont(QStringLiteral("MS Sans Serif"));
    kitFont.setPixelSize(11);
    QApplication::setFont(kitFont);

    Gallery gallery;
    gallery.setWindowTitle(QStringLiteral("Flat kit gallery"));
    auto *hint = new TFlatHint(&gallery);
    hint->SetHintFont(kitFont);
    TFlatHint::SetMainForm(&gallery);

    // Arguments pick sections by name (the whole gallery is taller than a small screen).
    using Section = void (*)(Gallery &);
    const std::pair<const char *, Section> sections[] = {
        {"drawing", drawingSection}, {"gauge", progressBarSection}, {"hint", hintSection},
        {"button", buttonSection},   {"check", checkSection},       {"group", groupBoxSection},
        {"edit", editSection}};
    const QStringList picked = app.arguments().mid(1);
    for (const auto &[name, add] : sections) {
        if (picked.isEmpty() || picked.contains(QLatin1String(name)))
            add(gallery);
    }

    gallery.show();
    return app.exec();
}
