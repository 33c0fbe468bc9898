#include "hoopdesk/controls/bytelimit.h"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace {

TEST(Utf8Bytes, CutsWholeCharactersToTheByteLimit) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // 4 bytes, a surrogate pair
  const struct {
    QString text;
    int bytes;
    QString want;
  } cases[] = {
      {QString(40, 'a'), 31, QString(31, 'a')},
      {QString(20, QChar(0x00E9)), 31, QString(15, QChar(0x00E9))},  // 2 bytes each
      {QString(11, QChar(0x30A2)), 31, QString(10, QChar(0x30A2))},  // 3 bytes each
      {QString(29, 'a') + smile, 31, QString(29, 'a')},              // never half a pair
      {QString(27, 'a') + smile + "b", 31, QString(27, 'a') + smile},
      {"rose", 31, "rose"},
      {"", 31, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutToUtf8Bytes(c.text, c.bytes), c.want) << c.text.toStdString();
    EXPECT_LE(CutToUtf8Bytes(c.text, c.bytes).toUtf8().size(), c.bytes);
  }
}

TEST(Utf8Bytes, AnEditKeepsItsTextWithinTheLimit) {
  QLineEdit edit;
  LimitEditToUtf8Bytes(&edit, 31);
  edit.insert(QString(25, QChar(0x00FC)));
  EXPECT_EQ(edit.text(), QString(15, QChar(0x00FC)));
  EXPECT_LE(edit.text().toUtf8().size(), 31);
}

}  // namespace
