// The editor's 576 drop-down texts, keyed by drop-down name ("mo01ji" .. "ak24snd").
// The main window implements this over its combo boxes; tests use a plain map.
#pragma once

#include <string>

namespace tollvane {

class PageTexts {
 public:
  virtual ~PageTexts() = default;
  virtual std::string text(const std::string& name) const = 0;
  virtual void setText(const std::string& name, const std::string& text) = 0;
};

}  // namespace tollvane
