// The settings store's text, changed in place. Both programs and the server's registration
// read the store with QSettings, so the text is read here by the same rules: a line may run on
// inside double quotes or after a backslash, ";" starts a comment, a "[General]" section (in any
// case) and the lines before the first section hold the top-level values, and the last line of a
// value is the one that counts. Changes touch only the lines of the values they change; every
// other byte, including lines that QSettings cannot parse and the other programs' sections, stays
// as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

// One change of a top-level value: its new text (as EncodeStoreValue gives it), or none to
// remove it.
struct TStoreChange {
  QString name;
  std::optional<QByteArray> value;
};

// The text of a value line that QSettings reads back as exactly this string: quoted when it
// holds ";", "," or "=" or begins or ends with a blank, with escapes for quotes, backslashes and
// control characters, and "@" doubled at its start.
QByteArray EncodeStoreValue(const QString& value);

// The text with the changes made, in order. A changed value replaces the value of the line that
// QSettings reads; a new one goes after the last top-level value (or, without a top-level
// section, into a "[General]" section added at the end); a removed one loses every one of its
// lines. Names are plain top-level value names (letters and digits).
QByteArray ApplyStoreChanges(QByteArrayView text, const std::vector<TStoreChange>& changes);
