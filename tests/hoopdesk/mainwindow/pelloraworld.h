// A private world for a main window under test: its own data folder, settings store, work
// folder with two designs, and a fake machine server; discovery requests go to a port nobody
// answers.
#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "hoopdesk/fakeservice.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

// A design of `petals` round petals in three colours, written as a native file.
inline bool WriteFlower(const std::filesystem::path& path, int petals, int radius) {
  TStitchItem d;
  d.Points.push_back({sfStart, 0, 0});
  for (int p = 0; p < petals; ++p) {
    if (p > 0 && p % 2 == 0) d.Points.push_back({sfColorChange, 0, 0});
    const double a = 6.2831853 * p / petals;
    const int cx = static_cast<int>(radius * std::cos(a));
    const int cy = static_cast<int>(radius * std::sin(a));
    d.Points.push_back({sfJump, cx + radius / 2, cy});
    for (int s = 0; s <= 36; ++s) {
      const double b = 6.2831853 * s / 36;
      d.Points.push_back({sfStitch, cx + static_cast<int>(radius / 2 * std::cos(b)),
                          cy + static_cast<int>(radius / 2 * std::sin(b))});
    }
  }
  d.Points.push_back({sfEnd, 0, 0});
  d.SetColorCount();
  const COLORREF colours[] = {0x3030E0, 0x20A020, 0xC06020};
  for (int i = 0; i < d.GetColorCount(); ++i)
    d.Colors[i] = {0, 0xFF, colours[i % 3], "thread " + std::to_string(i + 1)};
  d.Title = path.stem().string();
  return TStitchFormatMarlow::Save(path.string(), d, nullptr);
}

class PelloraWorld {
 public:
  PelloraWorld() {
    root_ = std::filesystem::path(dir_.path().toStdString());
    ::setenv("PELLORA_HOME", (root_ / "home").c_str(), 1);
    ::setenv("PELLORA_SLP_ADDRESS", "127.0.0.1:9", 1);
    std::filesystem::create_directories(root_ / "home");
    std::filesystem::create_directories(Work());
    WriteFlower(Work() / "rose.10o", 6, 300);
    WriteFlower(Work() / "daisy.10o", 10, 200);
  }

  std::filesystem::path Work() const { return root_ / "PEL_design"; }
  std::filesystem::path Home() const { return root_ / "home"; }
  QString SettingsPath() const { return QString::fromStdString((root_ / "Pellora.ini").string()); }

  // Stored values the window reads at construction.
  void Store(const QString& key, const QVariant& value) {
    QSettings store(SettingsPath(), QSettings::IniFormat);
    store.setValue(key, value);
  }
  void SerialMachines(int count) {
    for (int slot = 0; slot < count; ++slot) Store(QString("Port%1").arg(slot), slot);
  }

  TPelloraOptions Options(std::vector<std::string> args = {}) {
    TPelloraOptions o;
    o.settingsPath = SettingsPath();
    o.programFolder = Home();
    o.workFolder = Work();
    o.paramFile = Home() / "param.txt";
    o.args = std::move(args);
    o.connector = FakeConnector(fake);
    return o;
  }

  // A window shown and started: its deferred start-up has run.
  std::unique_ptr<TFPellora> StartWindow(std::vector<std::string> args = {}) {
    const int wait = args.empty() ? 50 : 700;  // files on the command line delay the start-up
    auto window = std::make_unique<TFPellora>(Options(std::move(args)));
    window->resize(1022, 752);
    window->show();
    QTest::qWait(wait);
    QCoreApplication::processEvents();
    return window;
  }

  TFakeService fake;

 private:
  QTemporaryDir dir_;
  std::filesystem::path root_;
};
