#pragma once
// A menu that records what is appended to it, one text per position.
#include <string>
#include <vector>

#include "config/Cmd.h"
#include "framework/MenuSink.h"

namespace mova::testing {

class RecordingMenuSink : public IMenuSink {
 public:
  struct Item {
    int32_t Id;  // MenuSeparator for a separator
    std::string Text;
  };

  void AppendCommandItem(int32_t id, const std::string& text) override { Items.push_back({id, text}); }
  void AppendSeparator() override { Items.push_back({MenuSeparator, ""}); }
  bool IsValid() const override { return Valid; }

  bool Valid = true;
  std::vector<Item> Items;
};

}  // namespace mova::testing
