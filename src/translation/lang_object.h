#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The object tree a language file's keys walk: a window, the components it owns, its child controls,
// and the properties they publish. The program's windows give their tree through the Qt adapter;
// tests give a tree of their own.
namespace kestrune::translation {

// What a property holds, which decides how its value is read (see ApplyPropertyPath).
enum class PropertyKind {
  kInteger,
  kEnumeration,  // Booleans too: the value names an element, "True", "taRightJustify" ...
  kFloat,
  kString,
  kStringList,  // reached as "<property>.Strings"
  kCollection,  // reached as "<property>.Items(<n>).<item property>"
  kObject,      // a nested object such as Font: "<property>.<its property>"
  kOther,       // every other kind, which language files cannot set
};

// One object of the tree. Names are matched ignoring ASCII letter case. The default implementations
// publish nothing and find nothing.
class LangObject {
 public:
  virtual ~LangObject() = default;

  // The name language files address the object's lines by (for a window: its section name).
  virtual std::string ClassName() const = 0;
  // The kind of the property published under that name, or nothing when there is none.
  virtual std::optional<PropertyKind> FindProperty(std::string_view name) const = 0;

  virtual void SetInteger(std::string_view property, std::int32_t value);
  // Returns false when element names no element of the property's type.
  virtual bool SetEnumeration(std::string_view property, std::string_view element);
  virtual void SetFloat(std::string_view property, double value);
  virtual void SetString(std::string_view property, const std::string& value);
  virtual void SetStrings(std::string_view property, const std::vector<std::string>& items);
  virtual int ItemCount(std::string_view collection) const;
  virtual std::unique_ptr<LangObject> Item(std::string_view collection, int index);
  virtual std::unique_ptr<LangObject> Nested(std::string_view property);
  // A component this object owns (a window owns every component on it).
  virtual std::unique_ptr<LangObject> OwnedComponent(std::string_view name);
  // A control placed directly on this one, the first of that name in child order.
  virtual std::unique_ptr<LangObject> ChildControl(std::string_view name);
};

struct PathOutcome {
  enum Status {
    kApplied,
    kIgnored,  // the path names nothing that can be set: no message, as for a key meant for another version
    kFailed,   // the value is wrong for the property: error says why
  };
  Status status = kIgnored;
  std::string error;
};

// Applies one key of a language file, a property path such as "Button2.Caption",
// "scaletimes.Items.Strings", "Font.Size" or "gameview.Columns.Items(0).Caption", with its value.
// Each element is looked up on the current object as a property, then as an owned component, then as
// a child control. A property takes its value by kind: integer and float values that are not numbers
// read as 0; a string's value is a quoted literal; an enumeration's value names an element; a string
// list needs the element "Strings" (exactly so) and a delimited list; a collection needs
// "<name>(<index>)" with an index in range, then a property path on the item; a nested object needs a
// property path on it. Anything else is ignored. "#" codes below 256 in a text are bytes of codePage (the
// language's Windows code page, see DecodeLangLiteral).
PathOutcome ApplyPropertyPath(LangObject& root, std::string_view path, std::string_view value,
                              const std::string& codePage = "CP1252");

}  // namespace kestrune::translation
