#include "hoopdesk/browser/designfiles.h"

#include <sys/stat.h>

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

// The list's order: each group as the folder gives it, sorted by a collator comparison per pair
// in the program's locale, without regard to case; names that compare equal stay in the order
// the folder gives them.
QStringList CollatorOrder(QStringList names) {
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(names.begin(), names.end(), [&order](const QString& a, const QString& b) {
    return order.compare(a, b) < 0;
  });
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

// The list read with only a leading part sorted and then finished is the whole list, for every
// length of that part: none, inside the first group, where a group ends, across groups, all.
// Groups hold more names than a sort takes in one run, with names that compare equal, which keep
// the order the folder gives them.
TEST(DesignFiles, APartlySortedListFinishesAsTheWholeList) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  QStringList given;  // as the folder gives them
  for (int i = 0; i < 40; ++i) {
    const char* kinds[] = {".10o", ".DST", ".dsb", ".10O"};
    for (const char* start : {"d", "D"})
      Touch(root / QString("%1%2%3").arg(start).arg((i * 7) % 23).arg(kinds[i % 4]).toStdString());
  }
  for (QDirIterator it(dir.path(), QDir::Files); it.hasNext();)
    given.append(QFileInfo(it.next()).fileName());
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  QStringList whole;
  for (int group = 0; group < 4; ++group) {
    QStringList names;
    for (const QString& name : given) {
      if (DesignFileGroup(name) == group) names.append(name);
    }
    std::stable_sort(names.begin(), names.end(), [&order](const QString& a, const QString& b) {
      return order.compare(a, b) < 0;
    });
    whole.append(names);
  }
  ASSERT_EQ(ListDesignFiles(dir.path()), whole);
  const qsizetype firstGroup = std::count_if(
      given.begin(), given.end(), [](const QString& n) { return DesignFileGroup(n) == 0; });
  for (const qsizetype sorted : {qsizetype{0}, qsizetype{1}, qsizetype{8}, firstGroup,
                                 firstGroup + 3, whole.size(), whole.size() + 100}) {
    SCOPED_TRACE(sorted);
    TDesignFileSort rest;
    QStringList names = ReadDesignFiles(dir.path(), sorted, rest);
    ASSERT_EQ(names.size(), whole.size());
    EXPECT_EQ(names.mid(0, sorted), whole.mid(0, sorted));
    rest.Finish(names);
    EXPECT_TRUE(rest.Done());
    EXPECT_EQ(names, whole);
  }
}

// The folder's names are sorted out before they are made strings: the list still takes exactly
// the names whose extension the group rule matches, case folded beyond ASCII included.
TEST(DesignFiles, TheListTakesTheNamesTheGroupRuleTakes) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  const QStringList names = {"a.10o", "b.10O",    "c.DsT",   "d.00o",  "e.txt",  "f.dst.bak",
                             "gdst",  "é.dsz",    "h.dſt",   "i.dsé",  "j.d",    "k.ds\u0301z",
                             "l.DSB", "日本.dst", "m.10o.x", "n.dsz~", "o. dst", "p.dSz"};
  for (const QString& name : names) Touch(root / name.toStdString());
  const QStringList listed = ListDesignFiles(dir.path());
  for (const QString& name : names)
    EXPECT_EQ(listed.contains(name), DesignFileGroup(name) >= 0) << name.toStdString();
  EXPECT_TRUE(listed.contains("h.dſt"));
}

// What the list takes from a folder beside plain files, as Qt's own listing of files, hidden and
// system entries takes it: links to files and links that lead nowhere, never a folder or a link
// to one.
TEST(DesignFiles, LinksAndOtherEntriesAreListedAsQtListsFiles) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  Touch(root / "plain.10o");
  std::filesystem::create_directory(root / "folder.10o");
  std::filesystem::create_symlink(root / "plain.10o", root / "tofile.10o");
  std::filesystem::create_directory_symlink(root / "folder.10o", root / "tofolder.10o");
  std::filesystem::create_symlink(root / "missing.10o", root / "nowhere.10o");
  ASSERT_EQ(::mkfifo((root / "pipe.10o").c_str(), 0600), 0);
  QStringList qt;
  for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System); it.hasNext();)
    qt.append(QFileInfo(it.next()).fileName());
  qt.sort();
  QStringList listed = ListDesignFiles(dir.path());
  listed.sort();
  EXPECT_EQ(listed, qt);
  EXPECT_TRUE(listed.contains("tofile.10o"));
  EXPECT_FALSE(listed.contains("tofolder.10o"));
}

}  // namespace
