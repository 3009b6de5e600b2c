#pragma once

#include <string_view>

// What the keys of an arcade controller do in the game list. X-Arcade, HotRod and SlikStik sticks
// emulate a keyboard: their buttons send digits, letters, Ctrl, Shift and Space, which the list turns
// into commands and page movements. Keys are Windows virtual-key codes (digits and capital letters are
// their ASCII codes), as the controllers' manuals list them.
namespace kestrune::catalogue {

enum class ControllerCommand {
  None,
  PlaySelected,
  PlayRandom,
  NextPage,       // the next visible page of the picture area, wrapping
  ListAvailable,  // list mode "Available"
  ListFavorites,  // list mode "Favorites"
  PageUp,         // the list moves as if these keys were pressed
  PageDown,
  Home,
  End,
};

// The controllers whose navigation the preferences turned on.
struct ControllerBoxes {
  bool xarcade = false;
  bool hotrod = false;
  bool slikstik = false;

  bool Any() const { return xarcade || hotrod || slikstik; }
};

inline constexpr int kVkShift = 16;
inline constexpr int kVkControl = 17;
inline constexpr int kVkSpace = 32;

// The one command a key issues with these controllers on. X-Arcade and HotRod share a map; when
// several maps are on, the first that knows the key (X-Arcade/HotRod, then SlikStik) decides, so a
// key never acts twice.
ControllerCommand ControllerCommandOf(int virtualKey, ControllerBoxes boxes);

std::string_view ControllerCommandName(ControllerCommand command);

}  // namespace kestrune::catalogue
