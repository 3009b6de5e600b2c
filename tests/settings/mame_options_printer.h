#pragma once

#include <ostream>
#include <string>

#include "settings/mame_options.h"

namespace kestrune::settings {

// The controls whose values differ, as "control: a | b" lines; empty when the options are equal.
std::string OptionDifferences(const MameOptions& a, const MameOptions& b);

// Lets GoogleTest print options by their values that differ from the defaults.
void PrintTo(const MameOptions& options, std::ostream* out);

}  // namespace kestrune::settings
