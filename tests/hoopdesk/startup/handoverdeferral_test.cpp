// Hand-over requests that arrive while a modal dialog is open, or while one is closing, or while
// an earlier request has a dialog of its own open, run after it, in their order.
#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "hoopdesk/startup/handoverdeferral.h"

namespace {

using TLog = std::vector<std::string>;

// The deferral with its released requests written to a log.
class HandOverDeferral : public testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&deferral, &THandOverDeferral::activateReady,
                     [this] { log.push_back("activate"); });
    QObject::connect(&deferral, &THandOverDeferral::paramFileReady,
                     [this] { log.push_back("paramfile"); });
  }

  // Runs script from the program's own event loop, as QApplication::exec would, until the log
  // holds `entries` lines or the time is up.
  void RunInProgramLoop(const std::function<void()>& script, std::size_t entries) {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, script);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
      if (log.size() >= entries) loop.quit();
    });
    check.start(10);
    QTimer::singleShot(std::chrono::seconds(10), &loop, &QEventLoop::quit);
    loop.exec();
  }

  // A modal dialog that `during` runs inside of, closed after closeMs.
  void ShowModal(int closeMs, const std::function<void(QDialog&)>& during) {
    QDialog dialog;
    QTimer::singleShot(20, &dialog, [&] { during(dialog); });
    QTimer::singleShot(closeMs, &dialog, &QDialog::accept);
    dialog.exec();
  }

  THandOverDeferral deferral;
  TLog log;
};

// A free program gets them on the next turn of its event loop, never inside the call that
// brought them: the socket reader that signalled them is still at work then.
TEST_F(HandOverDeferral, AFreeProgramGetsRequestsOnTheNextTurn) {
  RunInProgramLoop(
      [&] {
        deferral.Activate();
        deferral.ParamFile();
        log.push_back("requests sent");
      },
      3);
  EXPECT_EQ(log, (TLog{"requests sent", "activate", "paramfile"}));
  EXPECT_EQ(deferral.WaitingCount(), 0u);
}

TEST_F(HandOverDeferral, RequestsDuringAModalDialogRunAfterItClosesInOrder) {
  RunInProgramLoop(
      [&] {
        ShowModal(300, [&](QDialog&) {
          deferral.Activate();
          deferral.ParamFile();
          deferral.ParamFile();
          log.push_back("requests sent");
        });
        log.push_back("dialog closed");
      },
      5);
  EXPECT_EQ(log, (TLog{"requests sent", "dialog closed", "activate", "paramfile", "paramfile"}));
}

// Closed but still inside its exec(): the code that opened the dialog has not gone on yet.
TEST_F(HandOverDeferral, RequestsWhileADialogClosesWaitForItsLoopToEnd) {
  RunInProgramLoop(
      [&] {
        ShowModal(5000, [&](QDialog& dialog) {
          dialog.accept();
          deferral.Activate();
          deferral.ParamFile();
          log.push_back("closing");
        });
        log.push_back("dialog closed");
      },
      4);
  EXPECT_EQ(log, (TLog{"closing", "dialog closed", "activate", "paramfile"}));
}

// Opening the files of one hand-over may show a message box; the next start's requests wait for
// it, and for the rest of the files, even when they arrive while no box is open.
TEST_F(HandOverDeferral, ARequestThatOpensADialogHoldsBackTheNext) {
  QObject::connect(&deferral, &THandOverDeferral::paramFileReady, [&] {
    if (log.size() > 2) return;
    ShowModal(200, [&](QDialog&) {
      deferral.Activate();
      deferral.ParamFile();
    });
    log.push_back("box closed");
  });
  RunInProgramLoop([&] { deferral.ParamFile(); }, 4);
  EXPECT_EQ(log, (TLog{"paramfile", "box closed", "activate", "paramfile"}));
}

}  // namespace
