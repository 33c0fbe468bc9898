// The design files of a folder as the browser lists them: regular files only (a folder named
// like a design is not one), extensions matched without regard to case, names beginning with
// a dot left out, and the groups in a fixed order: ".10o", ".dsb", ".dst", ".dsz". Inside a
// group the names are sorted, so the list is stable.
#pragma once

#include <QString>
#include <QStringList>

QStringList ListDesignFiles(const QString& folder);

// The group of a file name's extension (0 to 3), or -1 when the browser does not list it.
int DesignFileGroup(const QString& name);

// A native design file (".10o", the first group): saved under its own name, only its control
// file is written again.
bool IsNativeDesignFile(const QString& name);
