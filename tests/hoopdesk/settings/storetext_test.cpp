#include "hoopdesk/settings/storetext.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// What QSettings, the store's other reader, makes of a value written with EncodeStoreValue.
QVariant ReadBack(const QString& value) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("store.ini"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write("[General]\nValue=" + EncodeStoreValue(value) + "\nNext=1\n");
  file.close();
  return QSettings(path, QSettings::IniFormat).value(QStringLiteral("Value"));
}

TEST(EncodeStoreValue, EveryStringReadsBackAsItselfThroughQSettings) {
  const QString values[] = {
      "",
      "/home/op/designs",
      "a,b",
      "x;y",
      "k=v",
      " leading",
      "trailing ",
      "\"quoted\"",
      "back\\slash\\",
      "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)",
      "@@",
      "@Invalid()",
      QString::fromUtf8("/home/op/D\xc3\xa9sign \xe6\x97\xa5\xe6\x9c\xac"),
      "tab\there",
      "line\nbreak\r",
      QString(QChar(1)) + "a" + QChar(0x1f) + "F" + QChar(0x7f) + "9",
      QString(QChar(0)) + "17",
      "#hash [x] %41 \\x41",
      "    ",
  };
  for (const QString& value : values) {
    const QVariant read = ReadBack(value);
    EXPECT_EQ(read.typeId(), QMetaType::QString) << value.toStdString();
    EXPECT_EQ(read.toString(), value) << EncodeStoreValue(value).toStdString();
  }
}

TEST(EncodeStoreValue, WritesPlainTextPlainly) {
  EXPECT_EQ(EncodeStoreValue("/home/op/designs"), "/home/op/designs");
  EXPECT_EQ(EncodeStoreValue("-1"), "-1");
  EXPECT_EQ(EncodeStoreValue("a,b"), "\"a,b\"");
  EXPECT_EQ(EncodeStoreValue("@x"), "@@x");
}

struct ChangeCase {
  const char* what;
  QByteArray before;
  std::vector<TStoreChange> changes;
  QByteArray after;
};

TStoreChange Set(const char* name, const char* value) { return {name, QByteArray(value)}; }
TStoreChange Remove(const char* name) { return {name, std::nullopt}; }

TEST(ApplyStoreChanges, ChangesOnlyTheLinesOfTheValuesItChanges) {
  const ChangeCase cases[] = {
      {"empty store", "", {Set("A", "1")}, "[General]\nA=1\n"},
      {"value in place", "[General]\nA=1\nB=2\n", {Set("A", "3")}, "[General]\nA=3\nB=2\n"},
      {"new value after the last top-level value",
       "[General]\nA=1\n\n[Classes]\nPelService.PelSrv\\LocalServer=/opt/p /Automation\n",
       {Set("B", "2"), Set("C", "3")},
       "[General]\nA=1\nB=2\nC=3\n\n[Classes]\nPelService.PelSrv\\LocalServer=/opt/p "
       "/Automation\n"},
      {"junk, comments and blanks stay",
       "\x01\x02junk\n; by hand\n[General]\nno value here\n  A = 1 ; width\n",
       {Set("A", "315")},
       "\x01\x02junk\n; by hand\n[General]\nno value here\n  A = 315 ; width\n"},
      {"the last of repeated lines is the one read",
       "[General]\nA=1\nA=2\n",
       {Set("A", "3")},
       "[General]\nA=1\nA=3\n"},
      {"removal takes every line of the value",
       "[General]\nA=1\n  A=2 ; old\nB=2\nA=3",
       {Remove("A")},
       "[General]\nB=2\n"},
      {"removing a missing value changes nothing",
       "[General]\nB=2\n",
       {Remove("A")},
       "[General]\nB=2\n"},
      {"the last change of a value counts",
       "[General]\nA=1\n",
       {Set("A", "2"), Remove("A")},
       "[General]\n"},
      {"lines before the first section are top-level",
       "A=1\n[Classes]\nA=9\n",
       {Set("A", "2"), Set("B", "3")},
       "A=2\nB=3\n[Classes]\nA=9\n"},
      {"a section of that name in any case",
       "[ general ]\nA=1\n",
       {Set("A", "2")},
       "[ general ]\nA=2\n"},
      {"a group called General is no top level",
       "[%General]\nA=1\n",
       {Set("A", "2")},
       "[%General]\nA=1\n\n[General]\nA=2\n"},
      {"a section header without values",
       "[General]\n;A=1\n[X]\nA=9\n",
       {Set("A", "2")},
       "[General]\nA=2\n;A=1\n[X]\nA=9\n"},
      {"a section added after a last line without a line break",
       "[Classes]\nPelService.PelSrv\\LocalServer=/opt/p /Automation",
       {Set("A", "1")},
       "[Classes]\nPelService.PelSrv\\LocalServer=/opt/p /Automation\n\n[General]\nA=1\n"},
      {"a value added after a last line without a line break",
       "[General]\nA=1",
       {Set("B", "2")},
       "[General]\nA=1\nB=2\n"},
      {"Windows line breaks are followed",
       "[General]\r\nA=1\r\n",
       {Set("B", "2")},
       "[General]\r\nA=1\r\nB=2\r\n"},
      {"a quoted value over two lines is one value",
       "[General]\nA=\"x\ny\"\nB=1\n",
       {Set("A", "2")},
       "[General]\nA=2\nB=1\n"},
      {"a line continued after a backslash is one value",
       "[General]\nA=x\\\nB=1\nC=2\n",
       {Remove("A")},
       "[General]\nC=2\n"},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "A=1\n",
       {Set("A", "2")},
       "\xEF\xBB\xBF"
       "A=2\n"},
      {"escaped key",
       "[General]\nPanel%57idth=1\n",
       {Set("PanelWidth", "2")},
       "[General]\nPanel%57idth=2\n"},
  };
  for (const ChangeCase& c : cases) {
    EXPECT_EQ(ApplyStoreChanges(c.before, c.changes), c.after) << c.what;
  }
}

}  // namespace
