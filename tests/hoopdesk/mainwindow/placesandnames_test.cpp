#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "hoopdesk/mainwindow/queueddrag.h"
#include "hoopdesk/mainwindow/workfolder.h"

namespace {

namespace fs = std::filesystem;

TEST(ChooseDesignFolder, WorkFolderSavedFolderOrProgramFolder) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  const fs::path work = root / "PEL_design";
  const fs::path saved = root / "saved";
  const fs::path program = root / "program";
  // Missing work folder: made and used, replacing the saved folder.
  EXPECT_EQ(ChooseDesignFolder(work, saved, program), work);
  EXPECT_TRUE(fs::is_directory(work));
  // Existing work folder: used only when nothing was saved.
  EXPECT_EQ(ChooseDesignFolder(work, saved, program), saved);
  EXPECT_EQ(ChooseDesignFolder(work, "", program), work);
  // A work folder that cannot be made: the saved folder, else the program's folder.
  const fs::path impossible = root / "missing" / "PEL_design";
  EXPECT_EQ(ChooseDesignFolder(impossible, saved, program), saved);
  EXPECT_EQ(ChooseDesignFolder(impossible, "", program), program);
}

TEST(FindQueuedDesign, FindsTheDesignByWhatItIsNotWhereItWas) {
  TStitch queue;
  TStitchItem rose, daisy;
  rose.FileName = "rose.10o";
  rose.Points = {{sfStitch, 1, 1}};
  daisy.FileName = "daisy.10o";
  daisy.Points = {{sfStitch, 2, 2}, {sfStitch, 3, 3}};
  queue.AddItem(rose);
  queue.AddItem(daisy);
  queue.AddItem(rose);
  const TQueuedDrag draggedDaisy{7, 1, daisy};
  EXPECT_EQ(FindQueuedDesign(queue, draggedDaisy), 1);
  const TQueuedDrag draggedSecondRose{7, 2, rose};
  EXPECT_EQ(FindQueuedDesign(queue, draggedSecondRose), 2) << "the same design where it was";
  queue.Delete(0);  // the first design was sent meanwhile
  EXPECT_EQ(FindQueuedDesign(queue, draggedDaisy), 0);
  queue.Delete(0);
  EXPECT_EQ(FindQueuedDesign(queue, draggedDaisy), -1) << "gone: nothing is deleted";
}

}  // namespace
