// Shows the flat kit's controls in their states, to look at them (and take screenshots).
#include "Gallery.h"

#include "TFlatHint.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont kitFont(QStringLiteral("MS Sans Serif"));
    kitFont.setPixelSize(11);
    QApplication::setFont(kitFont);

    Gallery gallery;
    gallery.setWindowTitle(QStringLiteral("Flat kit gallery"));
    auto *hint = new TFlatHint(&gallery);
    hint->SetHintFont(kitFont);
    TFlatHint::SetMainForm(&gallery);

    using Section = void (*)(Gallery &);
    const Section sections[] = {drawingSection, progressBarSection, hintSection};
    for (Section add : sections)
        add(gallery);

    gallery.show();
    return app.exec();
}
