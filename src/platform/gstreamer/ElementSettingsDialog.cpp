#include "platform/gstreamer/ElementSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "platform/gstreamer/ElementSettingsLookup.h"

namespace mova {

namespace {

constexpr int64_t SpinMin = std::numeric_limits<int>::min();
constexpr int64_t SpinMax = std::numeric_limits<int>::max();
// Beyond this a spin box would size itself for hundreds of digits.
constexpr double DoubleSpinLimit = 1e9;

bool FitsSpinBox(const TElementSetting& s) {
  switch (s.Kind) {
    case SettingKind::Int: return s.IntMin >= SpinMin && s.IntMax <= SpinMax;
    case SettingKind::UInt: return s.UIntMax <= static_cast<uint64_t>(SpinMax);
    case SettingKind::Double:
      return std::fabs(s.DoubleMin) <= DoubleSpinLimit && std::fabs(s.DoubleMax) <= DoubleSpinLimit;
    default: return false;
  }
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ElementSettingsDialog::ElementSettingsDialog(GstElement* element, const std::string& caption, QWidget* owner)
    : QDialog(owner), Settings(element) {
  setWindowTitle(FromUtf8(caption));
  auto* form = new QWidget;
  auto* rows = new QFormLayout(form);
  for (const TElementSetting& setting : Settings.Settings()) {
    QWidget* editor = MakeEditor(setting);
    editor->setToolTip(FromUtf8(setting.Blurb));
    if (!Settings.ChangeableNow(setting.Name)) {
      editor->setEnabled(false);
      editor->setToolTip(FromUtf8(setting.Blurb) + tr("\n(cannot be changed while the element runs)"));
    }
    auto* label = new QLabel(FromUtf8(setting.Name));
    label->setToolTip(editor->toolTip());
    rows->addRow(label, editor);
    Editors.emplace(setting.Name, editor);
    ShowValue(setting);
  }
  if (Settings.Settings().empty()) rows->addRow(new QLabel(tr("This element has no settings.")));

  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setWidget(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll);
  layout->addWidget(buttons);
  resize(420, 480);
}

QWidget* ElementSettingsDialog::EditorFor(const std::string& name) const {
  const auto found = Editors.find(name);
  return found != Editors.end() ? found->second : nullptr;
}

QWidget* ElementSettingsDialog::MakeEditor(const TElementSetting& setting) {
  const TElementSetting* s = &setting;  // the model's list never changes, so the address stays valid
  if (s->Kind == SettingKind::Bool) {
    auto* box = new QCheckBox;
    connect(box, &QCheckBox::toggled, this, [this, s](bool on) { Apply(*s, on); });
    return box;
  }
  if (s->Kind == SettingKind::Enum) {
    auto* box = new QComboBox;
    for (const auto& [value, nick] : s->EnumValues) box->addItem(FromUtf8(nick), QVariant::fromValue<qlonglong>(value));
    connect(box, &QComboBox::currentIndexChanged, this, [this, s, box](int index) {
      if (index >= 0) Apply(*s, int64_t{box->itemData(index).toLongLong()});
    });
    return box;
  }
  if (FitsSpinBox(*s) && s->Kind == SettingKind::Double) {
    auto* box = new QDoubleSpinBox;
    box->setDecimals(4);
    box->setRange(s->DoubleMin, s->DoubleMax);
    box->setSingleStep(s->DoubleMax - s->DoubleMin >= 10 ? 0.1 : 0.01);
    box->setKeyboardTracking(false);  // typed numbers apply when complete
    connect(box, &QDoubleSpinBox::valueChanged, this, [this, s](double value) { Apply(*s, value); });
    return box;
  }
  if (FitsSpinBox(*s)) {
    auto* box = new QSpinBox;
    const bool isSigned = s->Kind == SettingKind::Int;
    box->setRange(static_cast<int>(isSigned ? s->IntMin : static_cast<int64_t>(s->UIntMin)),
                  static_cast<int>(isSigned ? s->IntMax : static_cast<int64_t>(s->UIntMax)));
    box->setKeyboardTracking(false);
    connect(box, &QSpinBox::valueChanged, this, [this, s, isSigned](int value) {
      if (isSigned) {
        Apply(*s, int64_t{value});
      } else {
        Apply(*s, static_cast<uint64_t>(value));
      }
    });
    return box;
  }
  // Strings, and numbers too wide for a spin box, are typed as text.
  auto* edit = new QLineEdit;
  connect(edit, &QLineEdit::editingFinished, this, [this, s, edit] {
    const QByteArray text = edit->text().toUtf8();
    if (std::optional<TSettingValue> value = TElementSettings::Parse(*s, std::string(text.constData(), text.size()))) {
      Apply(*s, *value);
    } else {
      ShowValue(*s);
    }
  });
  return edit;
}

void ElementSettingsDialog::ShowValue(const TElementSetting& setting) {
  QWidget* editor = EditorFor(setting.Name);
  const std::optional<TSettingValue> value = Settings.Get(setting.Name);
  if (editor == nullptr || !value) return;
  const QSignalBlocker quiet(editor);
  if (auto* box = qobject_cast<QCheckBox*>(editor)) {
    box->setChecked(std::get<bool>(*value));
  } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
    box->setCurrentIndex(box->findData(QVariant::fromValue<qlonglong>(std::get<int64_t>(*value))));
  } else if (auto* box = qobject_cast<QDoubleSpinBox*>(editor)) {
    box->setValue(std::get<double>(*value));
  } else if (auto* box = qobject_cast<QSpinBox*>(editor)) {
    box->setValue(setting.Kind == SettingKind::Int ? static_cast<int>(std::get<int64_t>(*value))
                                                   : static_cast<int>(std::get<uint64_t>(*value)));
  } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    edit->setText(FromUtf8(TElementSettings::Format(setting, *value)));
  }
}

void ElementSettingsDialog::Apply(const TElementSetting& setting, const TSettingValue& value) {
  Settings.Set(setting.Name, value);
  // Show what the element holds now: the value refused, or the element's own
  // adjustment of an accepted one.
  ShowValue(setting);
}

std::unique_ptr<ElementSettingsDialog> CreateElementSettingsDialog(GstElement* bin, const std::string& name,
                                                                   QWidget* owner) {
  gsthandles::ElementPtr element = FindElementWithSettings(bin, name);
  if (!element) return nullptr;
  return std::make_unique<ElementSettingsDialog>(element.get(), name, owner);
}

bool ShowElementSettings(GstElement* bin, const std::string& name, QWidget* owner) {
  std::unique_ptr<ElementSettingsDialog> dialog = CreateElementSettingsDialog(bin, name, owner);
  if (!dialog) return false;
  dialog->exec();
  return true;
}

}  // namespace mova
