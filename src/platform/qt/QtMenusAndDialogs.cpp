#include "platform/qt/QtMenusAndDialogs.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMenu>

namespace mova {

namespace {

QString FromBytes(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// Fills `target` from `menu`; triggering a command item (by the mouse, the
// keyboard or the program) records its id in `chosen` and closes `top`.
void Fill(QMenu& target, const TPopupMenu& menu, QMenu& top, int32_t& chosen) {
  for (const TMenuItem& item : menu.Items()) {
    switch (item.Type) {
      case TMenuItem::Kind::Separator:
        target.addSeparator();
        break;
      case TMenuItem::Kind::Submenu: {
        QMenu* sub = target.addMenu(FromBytes(item.Text));  // owned by `target`
        if (item.Submenu) Fill(*sub, *item.Submenu, top, chosen);
        sub->menuAction()->setEnabled(!item.Grayed);
        break;
      }
      case TMenuItem::Kind::Command: {
        QAction* action = target.addAction(FromBytes(item.Text));
        // Only a checked item shows a mark; an unchecked one looks like any other.
        action->setCheckable(item.Checked);
        action->setChecked(item.Checked);
        action->setEnabled(!item.Grayed);
        const int32_t id = item.Id;
        QObject::connect(action, &QAction::triggered, &top, [&top, &chosen, id] {
          chosen = id;
          top.close();
        });
        break;
      }
    }
  }
}

}  // namespace

int32_t ExecPopupMenu(const TPopupMenu& menu, QPoint at, QWidget* owner) {
  QMenu popup(owner);
  int32_t chosen = 0;
  Fill(popup, menu, popup, chosen);
  popup.exec(at);
  return chosen;
}

bool ExecSaveDialog(TSaveFileDialog& dialog, QWidget* owner) {
  QFileDialog box(owner);
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  box.setOption(QFileDialog::DontConfirmOverwrite, (dialog.Flags & OFN::OVERWRITEPROMPT) == 0);
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
