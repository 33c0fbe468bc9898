// A colour table in a temporary folder, a system palette and two machine palettes read from it,
// and a machine list that hands them out and counts the server's reloads.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hoopdesk/colours/colorsettinghost.h"
#include "platform/messages.h"
#include "shared/colorinfo.h"

class FakeMachines : public TColorSettingHost {
 public:
  int MachineCount() const override { return static_cast<int>(palettes.size()); }
  std::string MachineAddress(int m) const override { return "COM" + std::to_string(m + 1); }
  TColorInfo* MachinePalette(int m) override {
    return m >= 0 && m < MachineCount() ? &palettes[static_cast<std::size_t>(m)] : nullptr;
  }
  void LoadSysColors() override { ++reloads; }

  std::vector<TColorInfo> palettes;
  int reloads = 0;
};

class ColourTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("SysColor.dat").toStdString();
    Reset();
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes_.push_back(text); });
    platform::SetMessageTextSource([](std::int32_t id) {
      return id == 262 ? std::string("Failed to save a file") : std::string();
    });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }

  // A fresh table: the built-in system colours and two machines with the built-in needles.
  void Reset() {
    std::ofstream(path_, std::ios::trunc) << "[Other]\nkept=1\n";
    system_ = Load("SysColor", 60);
    machines_ = FakeMachines();
    for (int m = 0; m < 2; ++m) machines_.palettes.push_back(Load(SerialColorSection(m), 15));
    boxes_.clear();
  }

  TColorInfo Load(const std::string& section, int count) const {
    TColorInfo palette;
    palette.SetFileName(path_);
    palette.LoadColors(section, count);
    return palette;
  }
  std::filesystem::file_time_type Stamp() const { return std::filesystem::last_write_time(path_); }

  QTemporaryDir dir_;
  std::string path_;
  TColorInfo system_;
  FakeMachines machines_;
  std::vector<std::string> boxes_;
};
