#include "hoopdesk/browser/designfiles.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QDirIterator>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

void Touch(const std::filesystem::path& p) { std::ofstream(p) << "x"; }

TEST(DesignFiles, FilesOnlyInTheirGroupsWithoutHiddenNames) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  Touch(root / "a.10o");
  Touch(root / "ROSE.DST");
  Touch(root / "b.dsz");
  std::filesystem::create_directory(root / "x.dst");
  Touch(root / ".h.10o");
  Touch(root / "a.00o");
  Touch(root / "notes.txt");
  Touch(root / "c.Dsb");
  EXPECT_EQ(ListDesignFiles(dir.path()), (QStringList{"a.10o", "c.Dsb", "ROSE.DST", "b.dsz"}));
}

TEST(DesignFiles, GroupsKeepTheirOrderAndNamesInsideAreSorted) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  for (const char* name : {"z.dst", "B.10o", "a.dst", "c.10o", "m.dsz", "k.dsb"})
    Touch(root / name);
  EXPECT_EQ(ListDesignFiles(dir.path()),
            (QStringList{"B.10o", "c.10o", "k.dsb", "a.dst", "z.dst", "m.dsz"}));
}

TEST(DesignFiles, GroupOfANameAndAFolderThatCannotBeRead) {
  EXPECT_EQ(DesignFileGroup("x.10O"), 0);
  EXPECT_EQ(DesignFileGroup("x.dsz"), 3);
  EXPECT_EQ(DesignFileGroup(".dst"), -1);
  EXPECT_EQ(DesignFileGroup("x.dst.bak"), -1);
  EXPECT_TRUE(ListDesignFiles("/nonexistent/folder").isEmpty());
}

// The order the list had from its first day: each group as the folder gives it, sorted by a
// collator comparison per pair in the program's locale, without regard to case. The list must
// keep it exactly, names that compare equal included.
QStringList CollatorOrder(QStringList names) {
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(names.begin(), names.end(),
            [&order](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
  return names;
}

struct OrderCase {
  const char* what;
  const char* locale;
  QStringList names;  // all of one group
};

class Order : public ::testing::TestWithParam<OrderCase> {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(GetParam().locale)); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_P(Order, AGroupListsInTheCollatorsOrder) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  for (const QString& name : GetParam().names) Touch(root / name.toStdString());
  QStringList given;  // as the folder gives them
  for (QDirIterator it(dir.path(), QDir::Files); it.hasNext();)
    given.append(QFileInfo(it.next()).fileName());
  ASSERT_EQ(given.size(), GetParam().names.size());
  EXPECT_EQ(ListDesignFiles(dir.path()), CollatorOrder(given));
}

const QStringList kCase = {"rose.10o", "Rose.10o", "ROSE.10o", "rosa.10o", "Rosb.10o",
                           "rOSE.10o", "a.10o",    "B.10o",    "b.10o",    "A.10o"};
const QStringList kDigits = {"d10.dst", "d2.dst",  "d1.dst", "D02.dst", "d 3.dst",
                             "d-1.dst", "d_1.dst", "9.dst",  "10.dst",  "d1a.dst"};
const QStringList kAccents = {"été.dsz", "ete.dsz", "Ete.dsz", "étf.dsz", "eta.dsz",  "Éte.dsz",
                              "ä.dsz",   "a.dsz",   "z.dsz",   "ß.dsz",   "ss.dsz",   "Å.dsz",
                              "ø.dsz",   "o.dsz",   "ñ.dsz",   "n.dsz",   "日本.dsz", "Ω.dsz"};

INSTANTIATE_TEST_SUITE_P(Cases, Order,
                         ::testing::Values(OrderCase{"CaseC", "C", kCase},
                                           OrderCase{"CaseEnglish", "en_US", kCase},
                                           OrderCase{"DigitsC", "C", kDigits},
                                           OrderCase{"DigitsEnglish", "en_US", kDigits},
                                           OrderCase{"AccentsC", "C", kAccents},
                                           OrderCase{"AccentsGerman", "de_DE", kAccents},
                                           OrderCase{"AccentsSwedish", "sv_SE", kAccents},
                                           OrderCase{"AccentsJapanese", "ja_JP", kAccents}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
