#pragma once
#include <cstdint>
#include <string>

namespace mova {

// The menu that the key table appends command items to. The window system's
// popup menu implements it; tests use a recording fake.
class IMenuSink {
 public:
  virtual ~IMenuSink() = default;
  // Appends an enabled, unchecked item that issues command `id`; `text` is the
  // caption, a tab and the key column.
  virtual void AppendCommandItem(int32_t id, const std::string& text) = 0;
  virtual void AppendSeparator() = 0;
  // Whether this is a menu that items can be appended to.
  virtual bool IsValid() const = 0;
};

}  // namespace mova
