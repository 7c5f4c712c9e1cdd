#pragma once

#include <QStringList>

// The fixed texts of the two help windows, one entry per line. Leading and trailing spaces
// are part of the text.
const QStringList &MainHelpLines();
const QStringList &ConfigHelpLines();
