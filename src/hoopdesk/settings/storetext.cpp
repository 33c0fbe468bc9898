#include "hoopdesk/settings/storetext.h"

#include <QStringView>
#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr QByteArrayView kUtf8Bom = "\xEF\xBB\xBF";

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// What QSettings skips before a line.
bool IsSpace(char c) { return IsBlank(c) || IsLineBreak(c); }
// What QSettings trims around names.
bool IsTrimmed(char c) { return IsSpace(c) || c == '\v' || c == '\f'; }

QByteArrayView Trimmed(QByteArrayView s) {
  while (!s.isEmpty() && IsTrimmed(s.front())) s = s.sliced(1);
  while (!s.isEmpty() && IsTrimmed(s.back())) s.chop(1);
  return s;
}

// One line as QSettings reads it: [start, end), the blanks and line breaks before it skipped;
// `end` is at the line break, at the ";" of a comment on the same line, or at the end of the
// text. A quoted part runs on over line breaks and a backslash takes the character after it.
struct TLine {
  qsizetype start = 0;
  qsizetype end = 0;
  qsizetype equals = -1;  // the first "=" outside quotes
};

// The next line from `pos` on; false when only blanks and comments remain.
bool NextLine(QByteArrayView text, qsizetype& pos, TLine& line) {
  const qsizetype size = text.size();
  qsizetype i = pos;
  while (i < size && IsSpace(text[i])) ++i;
  line = TLine{i, i, -1};
  bool quoted = false;
  while (i < size) {
    const char c = text[i];
    if (IsLineBreak(c) && !quoted) break;
    if (c == ';' && i == line.start) {
      // A comment line, and the blanks after it, belong to no line.
      while (i < size && !IsLineBreak(text[i])) ++i;
      while (i < size && IsSpace(text[i])) ++i;
      line.start = i;
      continue;
    }
    if (c == ';' && !quoted) break;
    ++i;
    if (c == '=' && !quoted && line.equals < 0) {
      line.equals = i - 1;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == '\\' && i < size) {
      const char escaped = text[i++];
      // An escaped line break may be a two-character one.
      if (i < size && IsLineBreak(escaped) && IsLineBreak(text[i]) && text[i] != escaped) ++i;
    }
  }
  line.end = i;
  pos = i;
  return line.end > line.start;
}

// A key as QSettings names it: "\" stands for "/", "%XX" and "%UXXXX" for a character.
QString UnescapedKey(QByteArrayView raw) {
  const QString s = QString::fromUtf8(raw);
  QString key;
  for (qsizetype i = 0; i < s.size();) {
    if (s[i] == u'\\') {
      key += u'/';
      ++i;
      continue;
    }
    if (s[i] == u'%' && i + 1 < s.size()) {
      const bool wide = s[i + 1] == u'U';
      const qsizetype first = i + (wide ? 2 : 1);
      const qsizetype digits = wide ? 4 : 2;
      if (first + digits <= s.size()) {
        bool ok = false;
        const ushort code = QStringView(s).sliced(first, digits).toUShort(&ok, 16);
        if (ok) {
          key += QChar(code);
          i = first + digits;
          continue;
        }
      }
    }
    key += s[i++];
  }
  return key;
}

// The store's lines that matter to top-level values.
struct TTopLevel {
  struct TValueLine {
    QString name;
    TLine line;
  };
  std::vector<TValueLine> values;           // in the order of the text
  std::optional<qsizetype> firstHeaderEnd;  // end of the first "[General]" line
};

TTopLevel ReadTopLevel(QByteArrayView text) {
  TTopLevel top;
  qsizetype pos = text.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
  bool inTopLevel = true;  // the lines before the first section
  TLine line;
  while (NextLine(text, pos, line)) {
    const QByteArrayView body = text.sliced(line.start, line.end - line.start);
    if (body.front() == '[') {
      const qsizetype close = body.indexOf(']');
      const QByteArrayView name = Trimmed(body.sliced(1, (close < 0 ? body.size() : close) - 1));
      inTopLevel = name.size() == 7 && QByteArray(name.data(), name.size()).toLower() == "general";
      if (inTopLevel && !top.firstHeaderEnd) top.firstHeaderEnd = line.end;
    } else if (inTopLevel && line.equals >= 0) {
      top.values.push_back(
          {UnescapedKey(Trimmed(text.sliced(line.start, line.equals - line.start))), line});
    }
  }
  return top;
}

// Where the text's line that holds [start, end) begins (its leading blanks included) and ends
// (its comment and line break included).
qsizetype LineBegin(QByteArrayView text, qsizetype start) {
  while (start > 0 && IsBlank(text[start - 1])) --start;
  return start;
}

qsizetype LineEnd(QByteArrayView text, qsizetype end) {
  while (end < text.size() && !IsLineBreak(text[end])) ++end;
  if (end < text.size()) end += text.sliced(end).startsWith("\r\n") ? 2 : 1;
  return end;
}

QByteArray LineBreakOf(QByteArrayView text) {
  const qsizetype lf = text.indexOf('\n');
  return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

struct TSplice {
  qsizetype from;
  qsizetype to;
  QByteArray text;
};

// The last change of each name, in the order the names first appear.
std::vector<TStoreChange> LastChanges(const std::vector<TStoreChange>& changes) {
  std::vector<TStoreChange> last;
  for (const TStoreChange& change : changes) {
    const auto same = std::find_if(last.begin(), last.end(),
                                   [&](const TStoreChange& c) { return c.name == change.name; });
    if (same == last.end())
      last.push_back(change);
    else
      same->value = change.value;
  }
  return last;
}

}  // namespace

QByteArray EncodeStoreValue(const QString& value) {
  // A leading "@" would announce a typed value.
  const QByteArray utf8 = (value.startsWith(u'@') ? u'@' + value : value).toUtf8();
  QByteArray out;
  bool quote = false;
  bool hexDigitEscaped = false;  // a numeric escape would take a hex digit that follows it
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (hexDigitEscaped && std::isxdigit(u)) {
      out += "\\x" + QByteArray::number(u, 16);
      continue;
    }
    hexDigitEscaped = false;
    switch (c) {
      case ';':
      case ',':
      case '=':
        quote = true;
        out += c;
        break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      case '\0':
        out += "\\0";
        hexDigitEscaped = true;
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += "\\x" + QByteArray::number(u, 16);
          hexDigitEscaped = true;
        } else {
          out += c;
        }
    }
  }
  if (quote || out.startsWith(' ') || out.endsWith(' ')) out = '"' + out + '"';
  return out;
}

QByteArray ApplyStoreChanges(QByteArrayView text, const std::vector<TStoreChange>& changes) {
  const TTopLevel top = ReadTopLevel(text);
  const QByteArray eol = LineBreakOf(text);
  std::vector<TSplice> splices;
  std::vector<bool> removed(top.values.size(), false);
  QByteArray added;
  for (const TStoreChange& change : LastChanges(changes)) {
    std::vector<std::size_t> lines;
    for (std::size_t i = 0; i < top.values.size(); ++i)
      if (top.values[i].name == change.name) lines.push_back(i);
    if (!change.value) {
      for (const std::size_t i : lines) {
        const TLine& line = top.values[i].line;
        splices.push_back({LineBegin(text, line.start), LineEnd(text, line.end), {}});
        removed[i] = true;
      }
    } else if (!lines.empty()) {
      // The last line is the one QSettings reads; earlier ones stay as they are.
      const TLine& line = top.values[lines.back()].line;
      // The blanks around the old value stay, so a comment after it keeps its place.
      qsizetype from = line.equals + 1;
      qsizetype to = line.end;
      while (to > from && IsBlank(text[to - 1])) --to;
      while (from < to && IsBlank(text[from])) ++from;
      splices.push_back({from, to, *change.value});
    } else {
      added += change.name.toUtf8() + '=' + *change.value + eol;
    }
  }

  if (!added.isEmpty()) {
    // After the last top-level value that stays, else after the first "[General]" line, else in
    // a "[General]" section of its own at the end.
    std::optional<qsizetype> at;
    for (std::size_t i = top.values.size(); i-- > 0 && !at;)
      if (!removed[i]) at = LineEnd(text, top.values[i].line.end);
    if (!at && top.firstHeaderEnd) at = LineEnd(text, *top.firstHeaderEnd);
    const bool broken = !text.isEmpty() && !IsLineBreak(text.back());
    if (!at) {
      QByteArray section = text.isEmpty() ? QByteArray() : (broken ? eol + eol : eol);
      section += "[General]" + eol + added;
      added = std::move(section);
      at = text.size();
    } else if (*at == text.size() && broken) {
      added.prepend(eol);
    }
    splices.push_back({*at, *at, added});
  }

  std::sort(splices.begin(), splices.end(), [](const TSplice& a, const TSplice& b) {
    return std::pair(a.from, a.to) < std::pair(b.from, b.to);
  });
  QByteArray out;
  out.reserve(text.size() + added.size());
  qsizetype copied = 0;
  for (const TSplice& splice : splices) {
    if (splice.from < copied) continue;  // never: the lines of different values are apart
    out += text.sliced(copied, splice.from - copied);
    out += splice.text;
    copied = splice.to;
  }
  out += text.sliced(copied);
  return out;
}
