#include "DialogLauncher.h"

#include "ConfigExchange.h"

#include <QWidget>

// Stand-ins until the dialogs exist: the configuration is never accepted, the about box shows
// nothing, and the quick help window is an empty window.

bool runConfigurationDialog(ConfigExchange &exchange)
{
    exchange.Accepted = false;
    return exchange.Accepted;
}

void showAboutBox() {}

QWidget *createQuickHelpWindow()
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Voltline Quick Help"));
    return window;
}
