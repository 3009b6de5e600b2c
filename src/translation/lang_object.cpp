#include "translation/lang_object.h"

#include <charconv>

#include "translation/lang_values.h"

namespace kestrune::translation {

void LangObject::SetInteger(std::string_view, std::int32_t) {}
bool LangObject::SetEnumeration(std::string_view, std::string_view) { return false; }
void LangObject::SetFloat(std::string_view, double) {}
void LangObject::SetString(std::string_view, const std::string&) {}
void LangObject::SetStrings(std::string_view, const std::vector<std::string>&) {}
int LangObject::ItemCount(std::string_view) const { return 0; }
std::unique_ptr<LangObject> LangObject::Item(std::string_view, int) { return nullptr; }
std::unique_ptr<LangObject> LangObject::Nested(std::string_view) { return nullptr; }
std::unique_ptr<LangObject> LangObject::OwnedComponent(std::string_view) { return nullptr; }
std::unique_ptr<LangObject> LangObject::ChildControl(std::string_view) { return nullptr; }

namespace {

// A path split at its first ".": the element, and what follows it when there was a ".".
struct Split {
  std::string_view head;
  std::optional<std::string_view> rest;
};

Split SplitPath(std::string_view path) {
  const std::size_t dot = path.find('.');
  if (dot == std::string_view::npos) return {path, std::nullopt};
  return {path.substr(0, dot), path.substr(dot + 1)};
}

const PathOutcome kIgnored{PathOutcome::kIgnored, {}};
const PathOutcome kApplied{PathOutcome::kApplied, {}};

PathOutcome Failed(std::string error) { return {PathOutcome::kFailed, std::move(error)}; }

// The index of a collection element "Name(n)"; the name itself is not checked.
std::optional<int> CollectionIndex(std::string_view element) {
  const std::size_t open = element.find('(');
  if (open == std::string_view::npos || element.size() < open + 3 || element.back() != ')') return std::nullopt;
  const std::string_view digits = element.substr(open + 1, element.size() - open - 2);
  int index = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') return std::nullopt;
  return index;
}

PathOutcome ApplyOnProperties(LangObject& object, std::string_view path, std::string_view value,
                              const std::string& codePage);

PathOutcome ApplyToCollection(LangObject& object, std::string_view property, std::optional<std::string_view> rest,
                              std::string_view value, const std::string& codePage) {
  if (!rest) return kIgnored;
  const Split item = SplitPath(*rest);
  const std::optional<int> index = CollectionIndex(item.head);
  if (!index || !item.rest || *index >= object.ItemCount(property)) return kIgnored;
  std::unique_ptr<LangObject> entry = object.Item(property, *index);
  return entry ? ApplyOnProperties(*entry, *item.rest, value, codePage) : kIgnored;
}

PathOutcome ApplyToProperty(LangObject& object, std::string_view property, PropertyKind kind,
                            std::optional<std::string_view> rest, std::string_view value, const std::string& codePage) {
  const bool last = !rest.has_value();
  switch (kind) {
    case PropertyKind::kInteger:
      if (!last) return kIgnored;
      object.SetInteger(property, ReadLangInteger(value));
      return kApplied;
    case PropertyKind::kEnumeration:
      if (!last) return kIgnored;
      if (!object.SetEnumeration(property, value)) return Failed("Invalid property element: " + std::string(value));
      return kApplied;
    case PropertyKind::kFloat:
      if (!last) return kIgnored;
      object.SetFloat(property, ReadLangFloat(value));
      return kApplied;
    case PropertyKind::kString: {
      if (!last) return kIgnored;
      std::string error;
      const std::optional<std::string> text = DecodeLangLiteral(value, &error, codePage);
      if (!text) return Failed(error);
      object.SetString(property, *text);
      return kApplied;
    }
    case PropertyKind::kStringList:
      if (rest != std::string_view("Strings")) return kIgnored;
      object.SetStrings(property, SplitDelimitedList(value));
      return kApplied;
    case PropertyKind::kCollection:
      return ApplyToCollection(object, property, rest, value, codePage);
    case PropertyKind::kObject: {
      if (last) return kIgnored;
      std::unique_ptr<LangObject> nested = object.Nested(property);
      return nested ? ApplyOnProperties(*nested, *rest, value, codePage) : kIgnored;
    }
    case PropertyKind::kOther:
      break;
  }
  return kIgnored;
}

// A path on a collection item or a nested object: its first element must be a property.
PathOutcome ApplyOnProperties(LangObject& object, std::string_view path, std::string_view value,
                              const std::string& codePage) {
  const Split split = SplitPath(path);
  const std::optional<PropertyKind> kind = object.FindProperty(split.head);
  return kind ? ApplyToProperty(object, split.head, *kind, split.rest, value, codePage) : kIgnored;
}

}  // namespace

PathOutcome ApplyPropertyPath(LangObject& root, std::string_view path, std::string_view value,
                              const std::string& codePage) {
  LangObject* current = &root;
  std::unique_ptr<LangObject> holder;
  Split split = SplitPath(path);
  while (true) {
    if (split.head.empty()) return kIgnored;
    if (const std::optional<PropertyKind> kind = current->FindProperty(split.head)) {
      return ApplyToProperty(*current, split.head, *kind, split.rest, value, codePage);
    }
    std::unique_ptr<LangObject> next = current->OwnedComponent(split.head);
    if (!next) next = current->ChildControl(split.head);
    if (!next || !split.rest) return kIgnored;
    holder = std::move(next);
    current = holder.get();
    split = SplitPath(*split.rest);
  }
}

}  // namespace kestrune::translation
