#include "platform/gstreamer/ElementSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace mova {

namespace {

// The properties every element has by being an object, a bin or a pipeline
// are the framework's, not the element's settings.
bool IsGeneric(const GParamSpec* spec) {
  return spec->owner_type == GST_TYPE_OBJECT || spec->owner_type == GST_TYPE_BIN ||
         spec->owner_type == GST_TYPE_PIPELINE;
}

// Interface properties are listed as overrides; their type and range live in
// the interface's own definition.
const GParamSpec* RealSpec(GParamSpec* spec) {
  const GParamSpec* target = g_param_spec_get_redirect_target(spec);
  return target != nullptr ? target : spec;
}

GstState ChangeableUpTo(GParamFlags flags) {
  if (flags & GST_PARAM_MUTABLE_PLAYING) return GST_STATE_PLAYING;
  if (flags & GST_PARAM_MUTABLE_PAUSED) return GST_STATE_PAUSED;
  if (flags & GST_PARAM_MUTABLE_READY) return GST_STATE_READY;
  return GST_STATE_PLAYING;
}

std::optional<TElementSetting> Describe(GParamSpec* listed) {
  const GParamSpec* spec = RealSpec(listed);
  const GParamFlags flags = spec->flags;
  if (!(flags & G_PARAM_READABLE) || !(flags & G_PARAM_WRITABLE) || (flags & G_PARAM_CONSTRUCT_ONLY)) {
    return std::nullopt;
  }
  if (IsGeneric(listed)) return std::nullopt;

  TElementSetting s;
  s.Name = g_param_spec_get_name(listed);
  const char* nick = g_param_spec_get_nick(const_cast<GParamSpec*>(spec));
  const char* blurb = g_param_spec_get_blurb(const_cast<GParamSpec*>(spec));
  s.Nick = nick != nullptr ? nick : s.Name;
  s.Blurb = blurb != nullptr ? blurb : "";
  s.ChangeableUpTo = ChangeableUpTo(flags);

  const GType type = G_PARAM_SPEC_TYPE(spec);
  auto ints = [&s](int64_t min, int64_t max) {
    s.Kind = SettingKind::Int;
    s.IntMin = min;
    s.IntMax = max;
  };
  auto uints = [&s](uint64_t min, uint64_t max) {
    s.Kind = SettingKind::UInt;
    s.UIntMin = min;
    s.UIntMax = max;
  };
  auto reals = [&s](double min, double max) {
    s.Kind = SettingKind::Double;
    s.DoubleMin = min;
    s.DoubleMax = max;
  };
  if (type == G_TYPE_PARAM_BOOLEAN) {
    s.Kind = SettingKind::Bool;
  } else if (type == G_TYPE_PARAM_CHAR) {
    ints(G_PARAM_SPEC_CHAR(spec)->minimum, G_PARAM_SPEC_CHAR(spec)->maximum);
  } else if (type == G_TYPE_PARAM_INT) {
    ints(G_PARAM_SPEC_INT(spec)->minimum, G_PARAM_SPEC_INT(spec)->maximum);
  } else if (type == G_TYPE_PARAM_LONG) {
    ints(G_PARAM_SPEC_LONG(spec)->minimum, G_PARAM_SPEC_LONG(spec)->maximum);
  } else if (type == G_TYPE_PARAM_INT64) {
    ints(G_PARAM_SPEC_INT64(spec)->minimum, G_PARAM_SPEC_INT64(spec)->maximum);
  } else if (type == G_TYPE_PARAM_UCHAR) {
    uints(G_PARAM_SPEC_UCHAR(spec)->minimum, G_PARAM_SPEC_UCHAR(spec)->maximum);
  } else if (type == G_TYPE_PARAM_UINT) {
    uints(G_PARAM_SPEC_UINT(spec)->minimum, G_PARAM_SPEC_UINT(spec)->maximum);
  } else if (type == G_TYPE_PARAM_ULONG) {
    uints(G_PARAM_SPEC_ULONG(spec)->minimum, G_PARAM_SPEC_ULONG(spec)->maximum);
  } else if (type == G_TYPE_PARAM_UINT64) {
    uints(G_PARAM_SPEC_UINT64(spec)->minimum, G_PARAM_SPEC_UINT64(spec)->maximum);
  } else if (type == G_TYPE_PARAM_FLOAT) {
    reals(G_PARAM_SPEC_FLOAT(spec)->minimum, G_PARAM_SPEC_FLOAT(spec)->maximum);
    s.SinglePrecision = true;
  } else if (type == G_TYPE_PARAM_DOUBLE) {
    reals(G_PARAM_SPEC_DOUBLE(spec)->minimum, G_PARAM_SPEC_DOUBLE(spec)->maximum);
  } else if (type == G_TYPE_PARAM_ENUM) {
    const GEnumClass* values = G_PARAM_SPEC_ENUM(spec)->enum_class;
    s.Kind = SettingKind::Enum;
    s.IntMin = values->minimum;
    s.IntMax = values->maximum;
    for (guint i = 0; i < values->n_values; ++i) {
      s.EnumValues.emplace_back(values->values[i].value, values->values[i].value_nick);
    }
  } else if (type == G_TYPE_PARAM_STRING) {
    s.Kind = SettingKind::String;
  } else {
    return std::nullopt;  // flags, caps, objects, boxed values: nothing a simple editor can change
  }
  return s;
}

// Calls `visit` with each setting of the element's class until it returns true.
template <typename Visit>
bool AnySetting(GstElement* element, Visit visit) {
  guint count = 0;
  GParamSpec** specs = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
  bool found = false;
  for (guint i = 0; i < count && !found; ++i) {
    if (std::optional<TElementSetting> setting = Describe(specs[i])) found = visit(std::move(*setting));
  }
  g_free(specs);
  return found;
}

std::string Trim(const std::string& text) {
  const char* space = " \t\r\n";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return text;
}

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || at != end) return std::nullopt;
  return value;
}

bool InRange(const TElementSetting& s, const TSettingValue& value) {
  switch (s.Kind) {
    case SettingKind::Bool:
      return std::holds_alternative<bool>(value);
    case SettingKind::Int:
      return std::holds_alternative<int64_t>(value) && std::get<int64_t>(value) >= s.IntMin &&
             std::get<int64_t>(value) <= s.IntMax;
    case SettingKind::UInt:
      return std::holds_alternative<uint64_t>(value) && std::get<uint64_t>(value) >= s.UIntMin &&
             std::get<uint64_t>(value) <= s.UIntMax;
    case SettingKind::Double:
      return std::holds_alternative<double>(value) && std::isfinite(std::get<double>(value)) &&
             std::get<double>(value) >= s.DoubleMin && std::get<double>(value) <= s.DoubleMax;
    case SettingKind::Enum:
      return std::holds_alternative<int64_t>(value) &&
             std::any_of(s.EnumValues.begin(), s.EnumValues.end(),
                         [&value](const auto& item) { return item.first == std::get<int64_t>(value); });
    case SettingKind::String:
      return std::holds_alternative<std::string>(value);
  }
  return false;
}

}  // namespace

bool ElementHasSettings(GstElement* element) {
  if (element == nullptr) return false;
  return AnySetting(element, [](TElementSetting&&) { return true; });
}

TElementSettings::TElementSettings(GstElement* element)
    : ElementRef(element != nullptr ? GST_ELEMENT(gst_object_ref(element)) : nullptr) {
  if (element == nullptr) return;
  AnySetting(element, [this](TElementSetting&& setting) {
    List.push_back(std::move(setting));
    return false;
  });
}

const TElementSetting* TElementSettings::Find(const std::string& name) const {
  for (const TElementSetting& setting : List) {
    if (setting.Name == name) return &setting;
  }
  return nullptr;
}

bool TElementSettings::ChangeableNow(const std::string& name) const {
  const TElementSetting* setting = Find(name);
  if (setting == nullptr) return false;
  // The state the element is in or on its way to, whichever is higher.
  GstState current = GST_STATE_VOID_PENDING;
  GstState pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(ElementRef.get(), &current, &pending, 0);
  return std::max(current, pending) <= setting->ChangeableUpTo;
}

std::optional<TSettingValue> TElementSettings::Get(const std::string& name) const {
  if (Find(name) == nullptr) return std::nullopt;
  GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(ElementRef.get()), name.c_str());
  if (spec == nullptr) return std::nullopt;
  GValue value = G_VALUE_INIT;
  g_value_init(&value, RealSpec(spec)->value_type);
  g_object_get_property(G_OBJECT(ElementRef.get()), name.c_str(), &value);
  std::optional<TSettingValue> result;
  switch (G_TYPE_FUNDAMENTAL(G_VALUE_TYPE(&value))) {
    case G_TYPE_BOOLEAN: result = g_value_get_boolean(&value) != FALSE; break;
    case G_TYPE_CHAR: result = int64_t{g_value_get_schar(&value)}; break;
    case G_TYPE_INT: result = int64_t{g_value_get_int(&value)}; break;
    case G_TYPE_LONG: result = int64_t{g_value_get_long(&value)}; break;
    case G_TYPE_INT64: result = int64_t{g_value_get_int64(&value)}; break;
    case G_TYPE_UCHAR: result = uint64_t{g_value_get_uchar(&value)}; break;
    case G_TYPE_UINT: result = uint64_t{g_value_get_uint(&value)}; break;
    case G_TYPE_ULONG: result = uint64_t{g_value_get_ulong(&value)}; break;
    case G_TYPE_UINT64: result = uint64_t{g_value_get_uint64(&value)}; break;
    case G_TYPE_FLOAT: result = double{g_value_get_float(&value)}; break;
    case G_TYPE_DOUBLE: result = g_value_get_double(&value); break;
    case G_TYPE_ENUM: result = int64_t{g_value_get_enum(&value)}; break;
    case G_TYPE_STRING: {
      const char* text = g_value_get_string(&value);
      result = std::string(text != nullptr ? text : "");
      break;
    }
    default: break;
  }
  g_value_unset(&value);
  return result;
}

bool TElementSettings::Set(const std::string& name, const TSettingValue& newValue) {
  const TElementSetting* setting = Find(name);
  if (setting == nullptr || !InRange(*setting, newValue) || !ChangeableNow(name)) return false;
  GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(ElementRef.get()), name.c_str());
  if (spec == nullptr) return false;
  GValue value = G_VALUE_INIT;
  g_value_init(&value, RealSpec(spec)->value_type);
  // InRange has checked the alternative and the range, so each narrowing
  // below keeps the value.
  switch (G_TYPE_FUNDAMENTAL(G_VALUE_TYPE(&value))) {
    case G_TYPE_BOOLEAN: g_value_set_boolean(&value, std::get<bool>(newValue)); break;
    case G_TYPE_CHAR: g_value_set_schar(&value, static_cast<gint8>(std::get<int64_t>(newValue))); break;
    case G_TYPE_INT: g_value_set_int(&value, static_cast<gint>(std::get<int64_t>(newValue))); break;
    case G_TYPE_LONG: g_value_set_long(&value, static_cast<glong>(std::get<int64_t>(newValue))); break;
    case G_TYPE_INT64: g_value_set_int64(&value, std::get<int64_t>(newValue)); break;
    case G_TYPE_UCHAR: g_value_set_uchar(&value, static_cast<guchar>(std::get<uint64_t>(newValue))); break;
    case G_TYPE_UINT: g_value_set_uint(&value, static_cast<guint>(std::get<uint64_t>(newValue))); break;
    case G_TYPE_ULONG: g_value_set_ulong(&value, static_cast<gulong>(std::get<uint64_t>(newValue))); break;
    case G_TYPE_UINT64: g_value_set_uint64(&value, std::get<uint64_t>(newValue)); break;
    case G_TYPE_FLOAT: g_value_set_float(&value, static_cast<gfloat>(std::get<double>(newValue))); break;
    case G_TYPE_DOUBLE: g_value_set_double(&value, std::get<double>(newValue)); break;
    case G_TYPE_ENUM: g_value_set_enum(&value, static_cast<gint>(std::get<int64_t>(newValue))); break;
    case G_TYPE_STRING: g_value_set_string(&value, std::get<std::string>(newValue).c_str()); break;
    default:
      g_value_unset(&value);
      return false;
  }
  g_object_set_property(G_OBJECT(ElementRef.get()), name.c_str(), &value);
  g_value_unset(&value);
  return true;
}

std::optional<TSettingValue> TElementSettings::Parse(const TElementSetting& setting, const std::string& typed) {
  const std::string text = setting.Kind == SettingKind::String ? typed : Trim(typed);
  std::optional<TSettingValue> value;
  switch (setting.Kind) {
    case SettingKind::Bool: {
      const std::string word = Lower(text);
      if (word == "true" || word == "1" || word == "yes") value = true;
      if (word == "false" || word == "0" || word == "no") value = false;
      break;
    }
    case SettingKind::Int:
      if (auto number = ParseNumber<int64_t>(text)) value = *number;
      break;
    case SettingKind::UInt:
      if (auto number = ParseNumber<uint64_t>(text)) value = *number;
      break;
    case SettingKind::Double:
      if (auto number = ParseNumber<double>(text)) value = *number;
      break;
    case SettingKind::Enum:
      if (auto number = ParseNumber<int64_t>(text)) {
        value = *number;
      } else {
        for (const auto& [number, nick] : setting.EnumValues) {
          if (nick == text) value = number;
        }
      }
      break;
    case SettingKind::String:
      if (text.find('\0') == std::string::npos) value = text;
      break;
  }
  if (value && !InRange(setting, *value)) return std::nullopt;
  return value;
}

std::string TElementSettings::Format(const TElementSetting& setting, const TSettingValue& value) {
  char buffer[64];
  auto shortest = [&buffer](auto number) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
  };
  if (const bool* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
  if (const int64_t* number = std::get_if<int64_t>(&value)) {
    for (const auto& [item, nick] : setting.EnumValues) {
      if (item == *number && setting.Kind == SettingKind::Enum) return nick;
    }
    return shortest(*number);
  }
  if (const uint64_t* number = std::get_if<uint64_t>(&value)) return shortest(*number);
  if (const double* number = std::get_if<double>(&value)) {
    // A float property holds float precision only; its double would show
    // digits nobody typed (0.1 as 0.10000000149011612).
    return setting.SinglePrecision ? shortest(static_cast<float>(*number)) : shortest(*number);
  }
  return std::get<std::string>(value);
}

}  // namespace mova
