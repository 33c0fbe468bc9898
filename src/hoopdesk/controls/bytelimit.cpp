#include "hoopdesk/controls/bytelimit.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace {

// Cuts what is typed or pasted to the byte limit instead of refusing it.
class TUtf8ByteValidator : public QValidator {
 public:
  TUtf8ByteValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}
  State validate(QString& input, int& pos) const override {
    input = CutToUtf8Bytes(input, maxBytes_);
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
  }

 private:
  int maxBytes_;
};

}  // namespace

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
  edit->setValidator(new TUtf8ByteValidator(maxBytes, edit));
}
