#include "DialogLauncher.h"

#include "ConfigExchange.h"
#include "TAboutBox.h"
#include "TfrmConfig.h"
#include "TfrmMainHelp.h"

#include <QWidget>

bool runConfigurationDialog(ConfigExchange &exchange)
{
    // One dialog per opening, gone (with its help window) when this returns.
    TfrmConfig dialog;
    static_cast<ConfigExchange &>(dialog) = exchange;
    dialog.exec();
    exchange = dialog;
    return exchange.Accepted;
}

void showAboutBox()
{
    TAboutBox box;
    box.exec();
}

QWidget *createQuickHelpWindow()
{
    return new TfrmMainHelp;
}
