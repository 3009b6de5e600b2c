#pragma once

#include <map>
#include <optional>
#include <string>

#include "taskdialog/tagged_text_layout.h"

// A font where every character is as wide as the point size (one more in bold), the ascent is the point
// size and the descent a quarter of it; pictures are looked up in a map. Sizes come out exact.
class FakeTextMetrics : public kestrune::taskdialog::TaggedTextMetrics {
 public:
  int TextWidth(const kestrune::taskdialog::TextFont& font, std::u16string_view text) override {
    return static_cast<int>(text.size()) * (font.pointSize + (font.bold ? 1 : 0));
  }
  int Ascent(const kestrune::taskdialog::TextFont& font) override { return font.pointSize; }
  int Descent(const kestrune::taskdialog::TextFont& font) override { return font.pointSize / 4; }
  std::optional<kestrune::taskdialog::TextSize> PictureSize(std::u16string_view source) override {
    const auto found = pictures.find(std::u16string(source));
    if (found == pictures.end()) return std::nullopt;
    return found->second;
  }

  std::map<std::u16string, kestrune::taskdialog::TextSize> pictures;
};
