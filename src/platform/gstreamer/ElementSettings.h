#pragma once
// The settings of one pipeline element, as its settings dialog shows them:
// the properties a user can change, with their types and ranges, read and
// written on the live element.
#include <gst/gst.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/gstreamer/GstHandles.h"

namespace mova {

enum class SettingKind : uint8_t {
  Bool,    // value: bool
  Int,     // signed integers of every width (char, int, long, int64); value: int64_t
  UInt,    // unsigned integers of every width; value: uint64_t
  Double,  // float and double; value: double
  Enum,    // value: int64_t, one of EnumValues
  String,  // value: std::string (UTF-8)
};

using TSettingValue = std::variant<bool, int64_t, uint64_t, double, std::string>;

struct TElementSetting {
  std::string Name;   // the property's name, e.g. "volume"
  std::string Nick;   // short human-readable name
  std::string Blurb;  // one-line description
  SettingKind Kind = SettingKind::Bool;
  int64_t IntMin = 0, IntMax = 0;     // Int and Enum
  uint64_t UIntMin = 0, UIntMax = 0;  // UInt
  double DoubleMin = 0, DoubleMax = 0;
  bool SinglePrecision = false;  // a float: shown with float precision
  std::vector<std::pair<int64_t, std::string>> EnumValues;  // value and nick, in the type's order
  // GStreamer lets some properties change only up to a given state (READY,
  // PAUSED); most may change in any state.
  GstState ChangeableUpTo = GST_STATE_PLAYING;
};

// True when the element has at least one setting: a property that can be
// read and written, is not fixed at construction, is of one of the kinds
// above, and is not one of the generic object, bin and pipeline properties
// that every element has (name, parent, message forwarding...).
bool ElementHasSettings(GstElement* element);

class TElementSettings {
 public:
  // Lists the settings of `element` (a new reference is held).
  explicit TElementSettings(GstElement* element);

  GstElement* Element() const { return ElementRef.get(); }
  // In the order of the element's class, which is the same on every call.
  const std::vector<TElementSetting>& Settings() const { return List; }
  // nullptr when the element has no setting of that name.
  const TElementSetting* Find(const std::string& name) const;

  // False when the element is in a state beyond the setting's ChangeableUpTo
  // (a file source's location while it plays, say), or the name is unknown.
  bool ChangeableNow(const std::string& name) const;

  // The current value read from the element; nothing for an unknown name.
  std::optional<TSettingValue> Get(const std::string& name) const;
  // Writes `value` to the element at once (a running pipeline uses it from
  // then on). False, with the element unchanged, for an unknown name, a value
  // of the wrong kind, out of range or not among the enum's values, or a
  // setting that cannot change in the element's current state.
  bool Set(const std::string& name, const TSettingValue& value);

  // Reads text typed by a user as a value of `setting`: decimal integers,
  // real numbers in C notation, "true"/"false"/"1"/"0", an enum's value or
  // nick, any string. Nothing when the text is not a valid value in range.
  static std::optional<TSettingValue> Parse(const TElementSetting& setting, const std::string& text);
  // The value as such text, the shortest that Parse reads back as the same
  // value (enums as their nick).
  static std::string Format(const TElementSetting& setting, const TSettingValue& value);

 private:
  gsthandles::ElementPtr ElementRef;
  std::vector<TElementSetting> List;
};

}  // namespace mova
