#pragma once

struct ConfigExchange;
class QWidget;

// The windows the bar opens. Each is one function so the bar does not depend on how the
// dialogs are built.

// Shows the configuration dialog modally with the exchange fields filled in; on return the
// fields hold the dialog's values and Accepted tells whether to apply them.
bool runConfigurationDialog(ConfigExchange &exchange);

// Shows the about box modally.
void showAboutBox();

// The quick help window, created hidden; the caller owns it.
QWidget *createQuickHelpWindow();
