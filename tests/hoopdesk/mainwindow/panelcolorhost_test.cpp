// The colour settings dialog over the panel manager: the machine list, the machines' own
// palettes and the server's reload.
#include "hoopdesk/mainwindow/panelcolorhost.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "hoopdesk/colours/fcolorsetting.h"
#include "hoopdesk/fakeservice.h"
#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/slp/scopedenv.h"
#include "platform/datafolder.h"

namespace {

TConnInfo Serial(std::uint16_t port) {
  TConnInfo info{};
  info.port = port;
  info.baudRate = 9600;
  return info;
}

class PanelColorHostTest : public ::testing::Test {
 protected:
  QTemporaryDir home_;
  ScopedEnv homeEnv_{"PELLORA_HOME", home_.path().toLocal8Bit().constData()};
  TFakeService fake_;
  TPanelManager panels_{FakeConnector(fake_)};
  TPanelColorHost host_{panels_};
};

TEST_F(PanelColorHostTest, WithoutAServerNothingIsAskedToReload) {
  EXPECT_EQ(host_.MachineCount(), 0);
  EXPECT_EQ(host_.MachinePalette(0), nullptr);
  EXPECT_EQ(host_.MachineAddress(0), "");
  host_.LoadSysColors();
  EXPECT_FALSE(fake_.Logged("LoadSysColors"));
}

TEST_F(PanelColorHostTest, TheDialogEditsTheMachinesOwnPaletteAndTheServerRereads) {
  ASSERT_TRUE(panels_.ConnectService());
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  ASSERT_TRUE(panels_.AddMachine(1, Serial(1), ""));
  EXPECT_EQ(host_.MachineCount(), 2);
  EXPECT_EQ(host_.MachinePalette(1), &panels_.GetMachine(1)->palette);
  EXPECT_EQ(host_.MachineAddress(1), panels_.GetMachine(1)->address);

  TColorInfo system;
  system.SetFileName(platform::DataPath("SysColor.dat").string());
  system.LoadColors("SysColor", 60);
  system.SetLabel(0, "Red");
  TFColorSetting dialog(nullptr, 1, system, host_);
  EXPECT_EQ(dialog.findChild<QComboBox*>("MachineCB")->count(), 2);
  panels_.GetMachine(1)->palette.SetLabel(4, "Gold");
  fake_.log.clear();
  dialog.findChild<QPushButton*>("OKBtn")->click();
  EXPECT_TRUE(dialog.Saved());
  EXPECT_TRUE(fake_.Logged("LoadSysColors"));

  TColorInfo reread;
  reread.SetFileName(system.GetFileName());
  reread.LoadColors("MacColor2", 15);
  EXPECT_EQ(reread.GetLabel(4), "Gold");
  reread.LoadColors("SysColor", 60);
  EXPECT_EQ(reread.GetLabel(0), "Red");
}

}  // namespace
