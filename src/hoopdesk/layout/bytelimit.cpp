#include "hoopdesk/layout/bytelimit.h"

#include <QLineEdit>

QString CutToUtf8Bytes(const QString& text, int maxBytes) {
  int bytes = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    const char32_t code = text.at(end).unicode();
    const bool pair =
        QChar::isHighSurrogate(code) && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
    const int length = pair ? 4 : code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
    if (bytes + length > maxBytes) break;
    bytes += length;
    end += pair ? 2 : 1;
  }
  return text.left(end);
}

void LimitEditToUtf8Bytes(QLineEdit* edit, int maxBytes) {
  edit->setMaxLength(maxBytes);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, maxBytes](const QString& text) {
    const QString cut = CutToUtf8Bytes(text, maxBytes);
    if (cut.size() != text.size()) edit->setText(cut);
  });
}
