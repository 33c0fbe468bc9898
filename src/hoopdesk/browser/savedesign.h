// Saving a design from the browser as a native design file.
#pragma once

#include <QString>

class TStitchItem;

enum class TSaveKind {
  ControlOnly,  // the design's own native file: its stitches stay, only its colours are new
  Pair,         // the ".10o" design file and its ".00o" control file
};

// chosenBase: the chosen file name without its extension; sourcePath: the file the design was
// read from. Only a native source saved under its own name keeps its design file; any other
// source (a ".dst" under its own name too) gets the whole native pair.
TSaveKind ChooseSaveKind(const QString& chosenBase, const QString& sourcePath);

// Writes as ChooseSaveKind says; true when every file was written.
bool SaveDesignAs(const QString& chosenBase, const QString& sourcePath, TStitchItem& design);
