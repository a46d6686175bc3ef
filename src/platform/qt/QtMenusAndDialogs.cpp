#include "platform/qt/QtMenusAndDialogs.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <map>

namespace mova {

namespace {

QString FromBytes(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

void Fill(QMenu& target, const TPopupMenu& menu, std::map<QAction*, int32_t>& ids) {
  for (const TMenuItem& item : menu.Items()) {
    switch (item.Type) {
      case TMenuItem::Kind::Separator:
        target.addSeparator();
        break;
      case TMenuItem::Kind::Submenu: {
        QMenu* sub = target.addMenu(FromBytes(item.Text));  // owned by `target`
        if (item.Submenu) Fill(*sub, *item.Submenu, ids);
        sub->menuAction()->setEnabled(!item.Grayed);
        break;
      }
      case TMenuItem::Kind::Command: {
        QAction* action = target.addAction(FromBytes(item.Text));
        // Only a checked item shows a mark; an unchecked one looks like any other.
        action->setCheckable(item.Checked);
        action->setChecked(item.Checked);
        action->setEnabled(!item.Grayed);
        ids[action] = item.Id;
        break;
      }
    }
  }
}

}  // namespace

int32_t ExecPopupMenu(const TPopupMenu& menu, QPoint at, QWidget* owner) {
  QMenu popup(owner);
  std::map<QAction*, int32_t> ids;
  Fill(popup, menu, ids);
  QAction* chosen = popup.exec(at);
  if (chosen == nullptr) return 0;
  auto found = ids.find(chosen);
  return found == ids.end() ? 0 : found->second;
}

bool ExecSaveDialog(TSaveFileDialog& dialog, QWidget* owner) {
  QFileDialog box(owner);
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  box.setOption(QFileDialog::DontConfirmOverwrite, (dialog.Flags & OFN_OVERWRITEPROMPT) == 0);
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setFileMode(QFileDialog::AnyFile);
  // "*.*" means every file on Windows; here names need not have a dot.
  const QString pattern = dialog.FilterPattern == "*.*" ? QStringLiteral("*") : FromBytes(dialog.FilterPattern);
  box.setNameFilter(FromBytes(dialog.FilterName) + QStringLiteral(" (") + pattern + QStringLiteral(")"));
  box.selectFile(FromBytes(dialog.FileName));
  if (box.exec() != QDialog::Accepted) return false;
  const QStringList files = box.selectedFiles();
  if (files.isEmpty()) return false;
  const std::string name = QFile::encodeName(files.first()).toStdString();
  // The name and its terminating zero must fit the buffer.
  if (dialog.MaxFile == 0 || name.size() >= dialog.MaxFile) return false;
  dialog.FileName = name;
  return true;
}

}  // namespace mova
