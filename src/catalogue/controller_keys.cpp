#include "catalogue/controller_keys.h"

#include <array>

namespace kestrune::catalogue {
namespace {

struct KeyRow {
  int key;
  ControllerCommand arcade;    // X-Arcade and HotRod
  ControllerCommand slikstik;  // SlikStik
};

using C = ControllerCommand;

constexpr std::array<KeyRow, 11> kKeys{{
    {'1', C::PlaySelected, C::PlaySelected},
    {'2', C::PlayRandom, C::PlayRandom},
    {'C', C::NextPage, C::NextPage},
    {'3', C::ListAvailable, C::None},
    {'4', C::ListFavorites, C::None},
    {'5', C::None, C::ListAvailable},
    {'6', C::None, C::ListFavorites},
    {kVkControl, C::PageUp, C::PageUp},
    {kVkShift, C::PageDown, C::PageDown},
    {kVkSpace, C::Home, C::Home},
    {'X', C::End, C::End},
}};

}  // namespace

ControllerCommand ControllerCommandOf(int virtualKey, ControllerBoxes boxes) {
  for (const KeyRow& row : kKeys) {
    if (row.key != virtualKey) continue;
    if ((boxes.xarcade || boxes.hotrod) && row.arcade != C::None) return row.arcade;
    return boxes.slikstik ? row.slikstik : C::None;
  }
  return C::None;
}

std::string_view ControllerCommandName(ControllerCommand command) {
  constexpr std::array<std::string_view, 10> kNames{
      "None",          "PlaySelected", "PlayRandom", "NextPage", "ListAvailable",
      "ListFavorites", "PageUp",       "PageDown",   "Home",     "End"};
  return kNames[static_cast<std::size_t>(command)];
}

}  // namespace kestrune::catalogue
