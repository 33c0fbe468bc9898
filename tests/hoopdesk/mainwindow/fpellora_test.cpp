#include "hoopdesk/mainwindow/fpellora.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <arpa/inet.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/screenshot.h"
#include "hoopdesk/slp/foundmachine.h"
#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/trace/ftrace.h"
#include "pelloraworld.h"

namespace {

TEST(MainWindow, HoldsEveryComponentUnderItsName) {
  PelloraWorld world;
  TFPellora window(world.Options());
  const char* names[] = {
      "MainMenu",        "MainPageControl", "MainPanel",      "SplitterV",  "Panel1",
      "PageControl",     "TabStitch",       "TopPanel",       "FoldersBtn", "ShellTreeView",
      "Splitter",        "PanelPart",       "PanelContainer", "Img0",       "Img7",
      "Label0",          "Label7",          "ScrollBar",      "SetColBtn",  "TabColor",
      "FMainColorFrame", "TabNeedle",       "ListBox",        "TabSend",    "SendImg0",
      "SendImg5",        "SewBtn0",         "SewBtn5",        "SendBtn0",   "SendBtn5",
      "ProgBar0",        "ProgBar5",        "Lbl0",           "Lbl5",       "SendAllBtn",
      "HScroll",         "VScroll",         "SpLbl",          "TrackLbl",   "TrackBar",
      "Panel2",          "TrashBtn",        "TrashPopupMenu", "Timer"};
  for (const char* name : names) EXPECT_NE(window.findChild<QObject*>(name), nullptr) << name;

  const TFPelloraUi& ui = window.Ui();
  EXPECT_EQ(window.windowTitle(), "Pellora");
  const QStringList tabs = {"Stitch", "Color", "Order", "Send"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ui.PageControl->tabText(i), tabs[i]);
  const QStringList menus = {"&File", "&Setting", "&Window", "&Help"};
  const QList<QAction*> top = ui.MainMenu->actions();
  ASSERT_EQ(top.size(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(top[i]->text(), menus[i]);
  EXPECT_EQ(ui.MenuColorSet->text(), "&Stitch && Machine Color ...");
  EXPECT_EQ(ui.MenuTcpip->text(), "Rescan &TCP/IP port");
  EXPECT_EQ(ui.MenuDel->text(), "&Delete");
  EXPECT_EQ(ui.MenuDelAll->text(), "Delete &All");
  EXPECT_TRUE(ui.MenuDel->isChecked());
  EXPECT_EQ(ui.SendAllBtn->text(), "&Send All");
  EXPECT_EQ(ui.TrackLbl->text(), "600");
  EXPECT_EQ(ui.TrackBar->minimum(), 120);
  EXPECT_EQ(ui.TrackBar->maximum(), 1200);
  EXPECT_EQ(window.TimerIntervalMs(), 250);
  EXPECT_FALSE(window.TimerActive());
  EXPECT_TRUE(ui.ShellTreeView->isHidden()) << "the folder tree starts hidden";
}

TEST(MainWindow, StartUpConnectsTheSerialSlotsAndStartsTheTimer) {
  PelloraWorld world;
  world.SerialMachines(3);
  world.fake.connectResults = {S_OK, S_FALSE, S_OK, S_OK};  // the second slot cannot be opened
  auto window = world.StartWindow();
  EXPECT_TRUE(world.fake.Logged("DisconnectAll"));
  EXPECT_EQ(window->Panels().GetMachineCount(), 2);
  // The failed slot took no device number: the third slot is machine 1.
  EXPECT_TRUE(world.fake.Logged("Connect 1 "));
  EXPECT_TRUE(window->TimerActive());
  // The first tick polls at once: it has not come yet (the counter stands at 10), or it polled
  // the serial machines with poll count 0 (a loaded machine may run it before this line).
  if (window->Schedule().TicksSincePoll() != 10) {
    EXPECT_TRUE(world.fake.Logged("OnTimer 1 0"));
  }
  EXPECT_EQ(window->Ui().FMainColorFrame->MachineCB()->count(), 2);
  EXPECT_EQ(window->Ui().MainPageControl->count(), 2);
}

TEST(MainWindow, WithoutAServerTheWindowClosesAndNoTimerRuns) {
  PelloraWorld world;
  TPelloraOptions options = world.Options();
  options.connector = [](std::unique_ptr<TServiceLink>*) { return HRESULT(0x80080005); };
  TFPellora window(std::move(options));
  window.show();
  QTest::qWait(50);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.TimerActive());
}

TEST(MainWindow, SpeedFromTheSettingsIsShownUnchangedAndNotMarkedModified) {
  PelloraWorld world;
  world.SerialMachines(1);
  world.Store("RotSpeed", 555);
  auto window = world.StartWindow();
  const TFPelloraUi& ui = window->Ui();
  EXPECT_EQ(ui.TrackBar->value(), 555);
  EXPECT_EQ(window->Settings().RotSpeed, 555);
  EXPECT_FALSE(window->Settings().modified);
  // The operator's step goes through the handler: rounded to tens and marked.
  ui.TrackBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(window->Settings().RotSpeed, 560);
  EXPECT_EQ(ui.TrackLbl->text(), "560");
  EXPECT_TRUE(window->Settings().modified);
}

TEST(MainWindow, StoredValuesAreCheckedWhereTheyAreUsed) {
  PelloraWorld world;
  world.Store("Port0", 40000);  // negative as a 16-bit number: the slot stays empty
  world.Store("Port1", 2);
  world.Store("BaudRate", 555);  // no line speed: 9600 reaches the server
  world.Store("RotSpeed", 99999);
  // A placement on a screen that is gone.
  world.Store("WpLeft", 50000);
  world.Store("WpTop", 50000);
  world.Store("WpRight", 51022);
  world.Store("WpBottom", 50752);
  auto window = world.StartWindow();
  ASSERT_EQ(world.fake.connections.size(), 1u);
  EXPECT_EQ(world.fake.connections[0].info.port, 2);
  EXPECT_EQ(world.fake.connections[0].info.baudRate, 9600);
  EXPECT_EQ(window->Ui().TrackBar->value(), 500);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(window->geometry())) << "the window must stay on a present screen";
}

TEST(MainWindow, ClosingSavesFolderPanelAndPlacementButNotAnUnchangedSpeed) {
  PelloraWorld world;
  world.SerialMachines(1);
  world.Store("RotSpeed", 555);
  world.fake.log.clear();
  {
    auto window = world.StartWindow();
    window->Ui().SplitterV->setSizes({600, 400});
  }
  QSettings store(world.SettingsPath(), QSettings::IniFormat);
  EXPECT_EQ(store.value("CurrentDir").toString().toStdString(), world.Work().string());
  EXPECT_GT(store.value("PanelWidth").toInt(), 315);
  EXPECT_EQ(store.value("WpRight").toInt() - store.value("WpLeft").toInt(), 1022);
  EXPECT_EQ(store.value("RotSpeed").toInt(), 555);
  EXPECT_TRUE(world.fake.Logged("Disconnect 1")) << "every machine is disconnected";
}

TEST(MainWindow, CommandLineFilesLoadInTurnAndQueueOnTheirMachine) {
  PelloraWorld world;
  world.SerialMachines(2);
  const std::string rose = (world.Work() / "rose.10o").string();
  const std::string daisy = (world.Work() / "daisy.10o").string();
  auto window = world.StartWindow({rose + "/2", daisy});
  EXPECT_EQ(window->Ui().PageControl->currentWidget(), window->Ui().TabSend);
  // Each file replaced the one before in the layout; the first was queued on machine 2.
  EXPECT_EQ(window->Layout().DesignCount(), 1);
  EXPECT_EQ(window->Ui().ListBox->count(), 1);
  EXPECT_EQ(window->Ui().ListBox->item(0)->text(), "daisy");
  EXPECT_EQ(window->Panels().QueuedDesignCount(1), 1);
  EXPECT_EQ(window->Panels().QueuedDesignCount(0), 0);
}

TEST(MainWindow, AutomationLoadsNoFileAndAFailedLoadEndsTheArguments) {
  PelloraWorld world;
  const std::string rose = (world.Work() / "rose.10o").string();
  auto automation = world.StartWindow({"/Automation", rose});
  EXPECT_EQ(automation->Layout().DesignCount(), 0);
  automation.reset();
  auto failed = world.StartWindow({"/automation", rose});
  EXPECT_EQ(failed->Layout().DesignCount(), 0) << "a first argument in other case is a file";
}

TEST(MainWindow, HandOverOpensEveryLineAndDeletesTheFile) {
  PelloraWorld world;
  world.SerialMachines(1);
  auto window = world.StartWindow();
  const std::string rose = (world.Work() / "rose.10o").string();
  ASSERT_TRUE(TParamFile::Write(world.Home() / "param.txt", {"/nowhere/none.10o", rose + "/1"}));
  window->PostActivate();
  window->PostParamFile();
  QTest::qWait(20);
  EXPECT_FALSE(std::filesystem::exists(world.Home() / "param.txt"));
  EXPECT_EQ(window->Ui().PageControl->currentWidget(), window->Ui().TabSend);
  EXPECT_EQ(window->Layout().DesignCount(), 1) << "a failed line does not stop the next";
  EXPECT_EQ(window->Layout().FileNameEdit()->text(), "rose");
  EXPECT_EQ(window->Panels().QueuedDesignCount(0), 1);
}

TEST(MainWindow, FoundMachinesAreAddedReconnectedOrIgnored) {
  PelloraWorld world;
  auto window = world.StartWindow();
  slp::TFoundMachine entry;
  entry.port = htons(9100);
  entry.address = htonl(0x7F000001);
  entry.name = "SIM-1";
  EXPECT_TRUE(window->MergeFoundMachine(entry));
  EXPECT_EQ(window->Panels().GetMachineCount(), 1);
  // Found again while offline: reconnected, not added.
  world.fake.states[window->Panels().GetMachine(0)->cookie] = SEW_OFFLINE;
  window->Panels().SetOnline(0, false);
  const std::size_t calls = world.fake.log.size();
  EXPECT_FALSE(window->MergeFoundMachine(entry));
  EXPECT_EQ(window->Panels().GetMachineCount(), 1);
  EXPECT_TRUE(std::find(world.fake.log.begin() + static_cast<long>(calls), world.fake.log.end(),
                        "Connect 0 SIM-1") != world.fake.log.end());
  // Sixteen machines: the seventeenth is ignored.
  for (int i = 1; i < 16; ++i) {
    entry.port = htons(static_cast<std::uint16_t>(9100 + i));
    EXPECT_TRUE(window->MergeFoundMachine(entry));
  }
  entry.port = htons(9200);
  EXPECT_FALSE(window->MergeFoundMachine(entry));
  EXPECT_EQ(window->Panels().GetMachineCount(), 16);
}

TEST(MainWindow, DeleteAllFromTheTrashMenuEmptiesTheLayoutAndStays) {
  PelloraWorld world;
  auto window = world.StartWindow();
  ASSERT_TRUE(window->AddDesignToLayout(
      QString::fromStdString((world.Work() / "rose.10o").string()), 0, 0));
  ASSERT_TRUE(window->AddDesignToLayout(
      QString::fromStdString((world.Work() / "daisy.10o").string()), 0, 0));
  EXPECT_EQ(window->Ui().ListBox->count(), 2);
  window->Ui().MenuDelAll->trigger();
  EXPECT_EQ(window->Layout().DesignCount(), 0);
  EXPECT_EQ(window->Ui().ListBox->count(), 0);
  EXPECT_TRUE(window->Ui().MenuDelAll->isChecked());
  EXPECT_EQ(window->Ui().TrashBtn->toolTip(), "Delete All");
  window->AddDesignToLayout(QString::fromStdString((world.Work() / "rose.10o").string()), 0, 0);
  window->TrashBtnClick();
  EXPECT_EQ(window->Layout().DesignCount(), 0) << "the button keeps deleting all";
}

TEST(MainWindow, TileAndTabLayoutsMoveTheDockedWindows) {
  PelloraWorld world;
  auto window = world.StartWindow();
  const TFPelloraUi& ui = window->Ui();
  window->MenuWindowTileClick(Qt::Horizontal);
  EXPECT_TRUE(ui.MainPageControl->isHidden());
  EXPECT_EQ(ui.MainPanelSplitter->count(), 2);
  EXPECT_EQ(ui.MainPanelSplitter->widget(0), &window->Layout());
  window->MenuWindowTabClick();
  EXPECT_TRUE(ui.MainPanel->isHidden());
  EXPECT_EQ(ui.MainPageControl->count(), 2);
  EXPECT_EQ(ui.MainPageControl->widget(0), &window->Layout());
}

// Drags the queued design at `x` of slot 0's picture to the trash, calling `meanwhile` while
// the drag is under way.
void DragQueuedDesignToTrash(TFPellora& window, int x, const std::function<void()>& meanwhile) {
  const TFPelloraUi& ui = window.Ui();
  QLabel* image = ui.SendImg[0];
  const QPoint from(x, 40);
  const auto send = [](QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  };
  send(image, QEvent::MouseButtonPress, from, Qt::LeftButton);
  send(image, QEvent::MouseMove, from + QPoint(5, 0), Qt::LeftButton);
  meanwhile();
  const QPoint trash = image->mapFromGlobal(ui.TrashBtn->mapToGlobal(QPoint(10, 10)));
  send(image, QEvent::MouseMove, trash, Qt::LeftButton);
  EXPECT_TRUE(ui.TrashBtn->Active());
  // The design's picture follows the pointer, which says it can be dropped.
  const QLabel* picture = window.findChild<QLabel*>("QueuedDragImage");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->geometry().center(),
            window.mapFromGlobal(image->mapToGlobal(trash)) - QPoint(1, 1));
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragMoveCursor);
  send(image, QEvent::MouseButtonRelease, trash, Qt::NoButton);
  EXPECT_FALSE(ui.TrashBtn->Active());
  EXPECT_EQ(window.findChild<QLabel*>("QueuedDragImage"), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(MainWindow, TrashDropDeletesTheDraggedDesignEvenWhenTheQueueMoved) {
  PelloraWorld world;
  world.SerialMachines(1);
  auto window = world.StartWindow();
  window->Ui().PageControl->setCurrentWidget(window->Ui().TabSend);
  QCoreApplication::processEvents();
  TPanelManager& panels = window->Panels();
  for (const char* name : {"rose.10o", "daisy.10o"}) {
    window->AddDesignToLayout(QString::fromStdString((world.Work() / name).string()), 0, 0);
    panels.QueueDesign(0, -1, window->Layout().CurrentDesign());
    window->ClearLayout(true);
  }
  ASSERT_EQ(panels.QueuedDesignCount(0), 2);
  const int firstX = window->Ui().SendImg[0]->width() - 30;  // the first design sits right
  // While the daisy is dragged from position 1, the rose at position 0 leaves the queue (it
  // was sent): the daisy moves to position 0, and it is the daisy that must go.
  DragQueuedDesignToTrash(*window, firstX - (window->Ui().SendImg[0]->height() - 16),
                          [&] { panels.RemoveQueuedDesign(0, 0); });
  EXPECT_EQ(panels.QueuedDesignCount(0), 0);

  // Without a change meanwhile the design under the pointer goes, and only that one.
  for (const char* name : {"rose.10o", "daisy.10o"}) {
    window->AddDesignToLayout(QString::fromStdString((world.Work() / name).string()), 0, 0);
    panels.QueueDesign(0, -1, window->Layout().CurrentDesign());
    window->ClearLayout(true);
  }
  DragQueuedDesignToTrash(*window, firstX, [] {});
  ASSERT_EQ(panels.QueuedDesignCount(0), 1);
  EXPECT_TRUE(panels.GetMachine(0)->queue.GetItem(0)->FileName.ends_with("daisy.10o"));
}

TEST(MainWindow, ScreenshotsOfEachTab) {
  PelloraWorld world;
  world.SerialMachines(3);
  const std::string rose = (world.Work() / "rose.10o").string();
  auto window = world.StartWindow({rose + "/1"});
  window->Panels().QueueDesign(1, -1, window->Layout().CurrentDesign());
  window->AddDesignToLayout(QString::fromStdString((world.Work() / "daisy.10o").string()), 300, 0);
  const TFPelloraUi& ui = window->Ui();
  const struct {
    QWidget* tab;
    const char* name;
  } tabs[] = {{ui.TabStitch, "mainwindow_stitch"},
              {ui.TabColor, "mainwindow_color"},
              {ui.TabNeedle, "mainwindow_order"},
              {ui.TabSend, "mainwindow_send"}};
  for (const auto& t : tabs) {
    ui.PageControl->setCurrentWidget(t.tab);
    if (t.tab == ui.TabStitch) window->Browser().FoldersBtnClick();
    QTest::qWait(30);
    EXPECT_FALSE(SaveScreenshot(*window, t.name).isEmpty());
  }
  window->MenuWindowTileClick(Qt::Vertical);
  QTest::qWait(30);
  EXPECT_FALSE(SaveScreenshot(*window, "mainwindow_tiled").isEmpty());
}

}  // namespace
