// The user's own folders, by the XDG base-directory rules.
#pragma once

#include <string>

namespace tollvane {

// HOME when it is absolute, else the home of the effective user in the password database (a
// service or a bare su may start the program without HOME) when that is absolute; empty when
// neither is known.
std::string HomeFolder();

// $XDG_STATE_HOME/tollvane, or <home>/.local/state/tollvane when the variable is unset or not
// absolute; empty without a home folder. The bell record and the copies kept during an
// in-place save live here.
std::string StateFolder();

}  // namespace tollvane
