#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/code_pages.h"
#include "translation/lang_object.h"

namespace kestrune::test {

// A window-like object tree for the path walk, recording every value set as text
// ("Caption" -> "Hello", "Items" -> "a|b", "Size" -> "12").
struct FakeNode {
  FakeNode(std::string cls, std::string objectName, std::map<std::string, translation::PropertyKind> published = {})
      : className(std::move(cls)), name(std::move(objectName)), kinds(std::move(published)) {}

  std::string className;
  std::string name;
  std::map<std::string, translation::PropertyKind> kinds;
  std::map<std::string, std::string> values;
  std::vector<std::string> elements = {"False", "True", "taLeftJustify", "taRightJustify"};
  std::map<std::string, std::vector<FakeNode>> collections;
  std::vector<FakeNode> objects;   // nested objects, named after their property
  std::vector<FakeNode> owned;     // components owned (a window owns every component on it)
  std::vector<FakeNode> children;  // controls placed directly on this one

  FakeNode& Child(const std::string& childName) {
    return *std::find_if(children.begin(), children.end(), [&](const FakeNode& n) { return n.name == childName; });
  }
};

class FakeObject : public translation::LangObject {
 public:
  explicit FakeObject(FakeNode& node) : node_(node) {}

  std::string ClassName() const override { return node_.className; }
  std::optional<translation::PropertyKind> FindProperty(std::string_view name) const override {
    for (const auto& [property, kind] : node_.kinds) {
      if (platform::EqualsIgnoreAsciiCase(property, name)) return kind;
    }
    return std::nullopt;
  }
  void SetInteger(std::string_view property, std::int32_t value) override { Set(property, std::to_string(value)); }
  bool SetEnumeration(std::string_view property, std::string_view element) override {
    for (const std::string& known : node_.elements) {
      if (platform::EqualsIgnoreAsciiCase(known, element)) {
        Set(property, known);
        return true;
      }
    }
    return false;
  }
  void SetFloat(std::string_view property, double value) override { Set(property, std::to_string(value)); }
  void SetString(std::string_view property, const std::string& value) override { Set(property, value); }
  void SetStrings(std::string_view property, const std::vector<std::string>& items) override {
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : "|") + item;
    Set(property, joined);
  }
  int ItemCount(std::string_view collection) const override {
    return static_cast<int>(Collection(collection) ? Collection(collection)->size() : 0);
  }
  std::unique_ptr<LangObject> Item(std::string_view collection, int index) override {
    return std::make_unique<FakeObject>((*Collection(collection))[static_cast<std::size_t>(index)]);
  }
  std::unique_ptr<LangObject> Nested(std::string_view property) override { return Find(node_.objects, property); }
  std::unique_ptr<LangObject> OwnedComponent(std::string_view name) override { return Find(node_.owned, name); }
  std::unique_ptr<LangObject> ChildControl(std::string_view name) override { return Find(node_.children, name); }

 private:
  // Values are recorded under the property's declared spelling.
  void Set(std::string_view property, std::string value) {
    for (const auto& [declared, kind] : node_.kinds) {
      if (platform::EqualsIgnoreAsciiCase(declared, property)) node_.values[declared] = std::move(value);
    }
  }
  std::vector<FakeNode>* Collection(std::string_view name) const {
    for (auto& [declared, items] : node_.collections) {
      if (platform::EqualsIgnoreAsciiCase(declared, name)) return &items;
    }
    return nullptr;
  }
  static std::unique_ptr<LangObject> Find(std::vector<FakeNode>& nodes, std::string_view name) {
    for (FakeNode& node : nodes) {
      if (platform::EqualsIgnoreAsciiCase(node.name, name)) return std::make_unique<FakeObject>(node);
    }
    return nullptr;
  }

  FakeNode& node_;
};

// A preferences-like window: a caption, a font, a button, a tab page holding a check box, a combo box
// with items, and a list whose columns have captions.
inline FakeNode FakeWindow(const std::string& className = "TForm4") {
  using K = translation::PropertyKind;
  const std::map<std::string, K> control{
      {"Caption", K::kString}, {"Hint", K::kString}, {"Left", K::kInteger}, {"Visible", K::kEnumeration}};
  FakeNode font{"TFont", "Font", {{"Size", K::kInteger}, {"Name", K::kString}, {"Style", K::kOther}}};
  FakeNode window{className, "Form4", control};
  window.kinds["Font"] = K::kObject;
  window.kinds["Ratio"] = K::kFloat;
  window.objects.push_back(font);
  FakeNode button{"TButton", "Button2", control};
  FakeNode sheet{"TTabSheet", "TabSheet2", control};
  sheet.children.push_back(FakeNode{"TCheckBox", "showhints", control});
  FakeNode combo{"TComboBox", "scaletimes", {{"Items", K::kStringList}, {"Hint", K::kString}}};
  FakeNode list{"TListView", "gameview", {{"Columns", K::kCollection}}};
  list.collections["Columns"] = {FakeNode{"TListColumn", "", {{"Caption", K::kString}, {"Width", K::kInteger}}},
                                 FakeNode{"TListColumn", "", {{"Caption", K::kString}, {"Width", K::kInteger}}}};
  FakeNode pages{"TPageControl", "PageControl1", control};
  pages.children.push_back(sheet);
  // A component named like a property, and one that is also the name of a control on the window.
  FakeNode left{"TLabel", "Left", control};
  window.owned = {button, combo, list, pages, left};
  // Controls the window does not own (as on a frame): two of the same name, the first one counts.
  FakeNode panel{"TPanel", "Panel1", control};
  panel.children = {FakeNode{"TLabel", "Label1", control}, FakeNode{"TLabel", "Label1", control}};
  window.children = {panel, FakeNode{"TButton", "Button2", control}};
  return window;
}

}  // namespace kestrune::test
