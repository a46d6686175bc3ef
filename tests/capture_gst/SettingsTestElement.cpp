#include "capture_gst/SettingsTestElement.h"

#include <cstring>

namespace mova::test {

namespace {

enum Prop {
  PropFirst = 1,
  PropBool = PropFirst,
  PropChar,
  PropUChar,
  PropInt,
  PropUInt,
  PropLong,
  PropULong,
  PropInt64,
  PropUInt64,
  PropFloat,
  PropDouble,
  PropEnum,
  PropString,
  PropReadyOnly,   // changeable only up to READY
  PropFlags,       // not a setting: flags
  PropCaps,        // not a setting: boxed
  PropFixed,       // not a setting: construct-only
  PropReadOnly,    // not a setting: cannot be written
  PropWriteOnly,   // not a setting: cannot be read back
  PropCount
};

struct TestElement {
  GstElement parent;
  GValue values[PropCount];
};
struct TestElementClass {
  GstElementClass parent_class;
};

GType TestEnumType() {
  static GType type = 0;
  static const GEnumValue values[] = {{1, "Shape square", "square"},
                                      {5, "Shape round", "round"},
                                      {-3, "Shape odd", "odd"},
                                      {0, nullptr, nullptr}};
  if (type == 0) type = g_enum_register_static("MovaTestShape", values);
  return type;
}

GType TestFlagsType() {
  static GType type = 0;
  static const GFlagsValue values[] = {{1, "Flag one", "one"}, {2, "Flag two", "two"}, {0, nullptr, nullptr}};
  if (type == 0) type = g_flags_register_static("MovaTestFlags", values);
  return type;
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec*) {
  g_value_copy(value, &reinterpret_cast<TestElement*>(object)->values[id]);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec*) {
  g_value_copy(&reinterpret_cast<TestElement*>(object)->values[id], value);
}

void Finalize(GObject* object);

GType RegisterType();

void ClassInit(gpointer klass, gpointer) {
  auto* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  object->finalize = Finalize;
  const auto rw = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
  auto add = [object](guint id, GParamSpec* spec) { g_object_class_install_property(object, id, spec); };
  add(PropBool, g_param_spec_boolean("flag", "Flag", "a boolean", TRUE, rw));
  add(PropChar, g_param_spec_char("tiny", "Tiny", "a char", -100, 100, 7, rw));
  add(PropUChar, g_param_spec_uchar("utiny", "UTiny", "an unsigned char", 2, 200, 9, rw));
  add(PropInt, g_param_spec_int("count", "Count", "an int", -5, 50, 10, rw));
  add(PropUInt, g_param_spec_uint("ucount", "UCount", "an unsigned int", 0, G_MAXUINT, 4000000000u, rw));
  add(PropLong, g_param_spec_long("wide", "Wide", "a long", G_MINLONG, G_MAXLONG, -12, rw));
  add(PropULong, g_param_spec_ulong("uwide", "UWide", "an unsigned long", 1, G_MAXULONG, 12, rw));
  add(PropInt64, g_param_spec_int64("big", "Big", "an int64", G_MININT64, G_MAXINT64, -1, rw));
  add(PropUInt64, g_param_spec_uint64("ubig", "UBig", "a uint64", 0, G_MAXUINT64, G_MAXUINT64, rw));
  add(PropFloat, g_param_spec_float("ratio", "Ratio", "a float", -1.0f, 1.0f, 0.1f, rw));
  add(PropDouble, g_param_spec_double("gain", "Gain", "a double", 0.0, 10.0, 1.5, rw));
  add(PropEnum, g_param_spec_enum("shape", "Shape", "an enum", TestEnumType(), 5, rw));
  add(PropString, g_param_spec_string("label", "Label", "a string", "start", rw));
  add(PropReadyOnly, g_param_spec_string("source", "Source", "changeable until READY", "file",
                                         static_cast<GParamFlags>(rw | GST_PARAM_MUTABLE_READY)));
  add(PropFlags, g_param_spec_flags("options", "Options", "flags", TestFlagsType(), 1, rw));
  add(PropCaps, g_param_spec_boxed("caps", "Caps", "caps", GST_TYPE_CAPS, rw));
  add(PropFixed, g_param_spec_int("fixed", "Fixed", "construct-only", 0, 9, 3,
                                  static_cast<GParamFlags>(rw | G_PARAM_CONSTRUCT_ONLY)));
  add(PropReadOnly, g_param_spec_int("measured", "Measured", "read-only", 0, 9, 3,
                                     static_cast<GParamFlags>(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
  add(PropWriteOnly, g_param_spec_int("command", "Command", "write-only", 0, 9, 3,
                                      static_cast<GParamFlags>(G_PARAM_WRITABLE | G_PARAM_STATIC_STRINGS)));
  gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Mova settings test", "Generic",
                                        "Properties of every kind", "Mova");
}

// Every property starts at its default, so reads work before any write.
void InstanceInit(GTypeInstance* instance, gpointer klass) {
  auto* self = reinterpret_cast<TestElement*>(instance);
  for (guint id = PropFirst; id < PropCount; ++id) {
    GParamSpec* spec = nullptr;
    guint count = 0;
    GParamSpec** specs = g_object_class_list_properties(G_OBJECT_CLASS(klass), &count);
    for (guint i = 0; i < count; ++i) {
      if (specs[i]->param_id == id && specs[i]->owner_type == RegisterType()) spec = specs[i];
    }
    g_free(specs);
    std::memset(&self->values[id], 0, sizeof(GValue));
    g_value_init(&self->values[id], spec->value_type);
    g_param_value_set_default(spec, &self->values[id]);
  }
}

void Finalize(GObject* object) {
  auto* self = reinterpret_cast<TestElement*>(object);
  for (guint id = PropFirst; id < PropCount; ++id) g_value_unset(&self->values[id]);
  G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

GType RegisterType() {
  static GType type = 0;
  if (type == 0) {
    const GTypeInfo info{sizeof(TestElementClass), nullptr, nullptr, ClassInit, nullptr, nullptr,
                         sizeof(TestElement),      0,       InstanceInit, nullptr};
    type = g_type_register_static(GST_TYPE_ELEMENT, "MovaSettingsTestElement", &info, GTypeFlags(0));
  }
  return type;
}

}  // namespace

GType SettingsTestElementType() { return RegisterType(); }

GstElement* NewSettingsTestElement(const char* name) {
  return GST_ELEMENT(g_object_new(SettingsTestElementType(), "name", name, nullptr));
}

}  // namespace mova::test
