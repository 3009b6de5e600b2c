#pragma once

#include <string>
#include <vector>

// The bad ROMs dialog's work: the list of the archives of sets the scan found with a bad rom, and
// moving those archives out of the rom folders into the program folder's "badroms".
namespace kestrune::romscan {

// The lines the dialog shows for the archives (set + ".zip"): "No bad Roms found." for none, else the
// names, an empty line and "Bad roms found : <count>". The list itself is left as it is.
std::vector<std::string> BadRomsListLines(const std::vector<std::string>& badRoms);


// Moves each archive from every rom folder that holds it into frontDir + "badroms" (made when
// missing), never over an archive already there (the newcomer gets a numbered name), and returns the
// lines that report it: "<archive> Moved." per copy moved, "<archive> is a merged rom file. Not Moved!"
// for an archive no folder holds, a line saying why for each copy that could not be moved, then an
// empty line and "Done.".
std::vector<std::string> MoveBadRoms(const std::string& frontDir, const std::vector<std::string>& badRoms);

}  // namespace kestrune::romscan
