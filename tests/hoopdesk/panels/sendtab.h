// The Send tab's controls for panel manager tests: six slots of 193 x 85 panel images 92
// pixels apart, and the shared scroll bars, send-all button and speed controls.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QWidget>
#include <initializer_list>
#include <vector>

#include "hoopdesk/panels/panelmanager.h"

// The Send tab's controls as the main window hands them over.
struct SendTab {
  SendTab() {
    trackBar.setRange(120, 1200);
    for (int k = 0; k < kPanelSlots; ++k) {
      images[k].setGeometry(8, 8 + 92 * k, 193, 85);
      for (QWidget* w : Slot(k)) w->setParent(&page);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{&hScroll, &vScroll, &sendAll, &spLbl,
                                                      &trackLbl, &trackBar})
      w->setParent(&page);
  }
  std::vector<QWidget*> Slot(int k) {
    return {&images[k], &labels[k], &sendBtns[k], &sewBtns[k], &progBars[k]};
  }
  void HandTo(TPanelManager& panels, std::int32_t rotSpeed) {
    panels.SetSendTabControls(&hScroll, &vScroll, &sendAll, &spLbl, &trackLbl, &trackBar, rotSpeed);
    for (int k = 0; k < kPanelSlots; ++k)
      panels.SetPanelSlot(k, &images[k], &labels[k], &sendBtns[k], &sewBtns[k], &progBars[k]);
  }

  QWidget page;
  QScrollBar hScroll{Qt::Horizontal};
  QScrollBar vScroll{Qt::Vertical};
  QPushButton sendAll;
  QLabel spLbl, trackLbl;
  QSlider trackBar{Qt::Horizontal};
  QLabel images[kPanelSlots];
  QLabel labels[kPanelSlots];
  QPushButton sendBtns[kPanelSlots];
  QLabel sewBtns[kPanelSlots];
  QProgressBar progBars[kPanelSlots];
};
