// Texts that end up in fixed byte fields of the native control file (a design's title, a
// colour block's name): 31 bytes of UTF-8 at most.
#pragma once

#include <QString>

class QLineEdit;

// The longest leading part of text whose UTF-8 form fits in maxBytes, never cutting a
// character (nor a surrogate pair) in two.
QString CutToUtf8Bytes(const QString& text, int maxBytes);

// Keeps the edit's text within maxBytes of UTF-8 as the operator types or pastes.
void LimitEditToUtf8Bytes(QLineEdit* edit, int maxBytes);
