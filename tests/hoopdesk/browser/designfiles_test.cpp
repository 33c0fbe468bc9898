#include "hoopdesk/browser/designfiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
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

}  // namespace
