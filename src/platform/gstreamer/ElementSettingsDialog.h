#pragma once
// The settings dialog of one pipeline element: an editor for each setting,
// each change written to the running element at once.
#include <gst/gst.h>

#include <QDialog>
#include <map>
#include <memory>
#include <string>

#include "platform/gstreamer/ElementSettings.h"

class QWidget;

namespace mova {

class ElementSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  // A dialog for `element` captioned `caption`, owned by `owner` (may be null).
  ElementSettingsDialog(GstElement* element, const std::string& caption, QWidget* owner);

  TElementSettings& Model() { return Settings; }
  // The editor of setting `name`: QCheckBox (Bool), QSpinBox (integers that
  // fit 32 bits), QDoubleSpinBox (reals of a moderate range), QComboBox
  // (Enum) or QLineEdit (strings and the other numbers); null for none.
  QWidget* EditorFor(const std::string& name) const;

 private:
  QWidget* MakeEditor(const TElementSetting& setting);
  // Shows the element's current value in the editor without writing it back.
  void ShowValue(const TElementSetting& setting);
  // Writes a user's change; a refused value is replaced by the current one.
  void Apply(const TElementSetting& setting, const TSettingValue& value);

  TElementSettings Settings;
  std::map<std::string, QWidget*> Editors;  // owned by the dialog's widgets
};

// The dialog for the first element inside `bin` named `name` that has
// settings (FindElementWithSettings), not shown yet; null when none matches.
std::unique_ptr<ElementSettingsDialog> CreateElementSettingsDialog(GstElement* bin, const std::string& name,
                                                                   QWidget* owner);

// Shows that dialog modally, owned by `owner`, and returns once the user has
// closed it: true. False, without showing anything, when no element matches.
bool ShowElementSettings(GstElement* bin, const std::string& name, QWidget* owner);

}  // namespace mova
