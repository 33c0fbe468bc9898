#include "hoopdesk/browser/savedesign.h"

#include <QFileInfo>

#include "hoopdesk/browser/designfiles.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

TSaveKind ChooseSaveKind(const QString& chosenBase, const QString& sourcePath) {
  const QFileInfo source(sourcePath);
  const QString sourceBase = source.path() + '/' + source.completeBaseName();
  const bool native = IsNativeDesignFile(source.fileName());
  const bool same =
      QFileInfo(chosenBase).absoluteFilePath() == QFileInfo(sourceBase).absoluteFilePath();
  return native && same ? TSaveKind::ControlOnly : TSaveKind::Pair;
}

bool SaveDesignAs(const QString& chosenBase, const QString& sourcePath, TStitchItem& design) {
  const std::string name = chosenBase.toStdString();
  if (ChooseSaveKind(chosenBase, sourcePath) == TSaveKind::ControlOnly)
    return TStitchFormatMarlow::SaveCtrlFile(name, design, nullptr);
  return TStitchFormatMarlow::Save(name, design, nullptr);
}
