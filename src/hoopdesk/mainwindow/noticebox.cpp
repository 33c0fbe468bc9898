#include "hoopdesk/mainwindow/noticebox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

constexpr char kNoticeName[] = "NoticeBox";

QMessageBox* OpenNotice(const QString& text) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* open = qobject_cast<QMessageBox*>(window);
    if (open && open->objectName() == kNoticeName && open->isVisible() && open->text() == text)
      return open;
  }
  return nullptr;
}

}  // namespace

void CloseNoticeBox(const std::string& text) {
  if (QMessageBox* open = OpenNotice(QString::fromStdString(text))) open->close();
}

void ShowNoticeBox(platform::MessageBoxKind kind, const std::string& caption,
                   const std::string& text) {
  const QString body = QString::fromStdString(text);
  if (OpenNotice(body)) return;
  auto* box = new QMessageBox(
      kind == platform::MessageBoxKind::Error ? QMessageBox::Critical : QMessageBox::Warning,
      caption.empty() ? QStringLiteral("Hoopdesk") : QString::fromStdString(caption), body,
      QMessageBox::Ok);
  box->setObjectName(kNoticeName);
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}
