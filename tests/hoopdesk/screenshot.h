#pragma once

#include <QString>

class QWidget;

// Grabs a widget as it is drawn now and saves it as <name>.png in the build's screenshot folder.
// Returns the file's path, or an empty string when it could not be written.
QString SaveScreenshot(QWidget& widget, const QString& name);
