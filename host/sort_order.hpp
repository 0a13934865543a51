#pragma once

// The order of a batch, which the counter and the index follow (--sort), and the files'
// dates taken that the order and the date-taken tokens share.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace nm {

enum class SortKey {
    Given,    // the arguments, then each pattern's matches in Explorer's order
    Name,     // the file names in Explorer's order, whatever their folders
    Taken,    // the date taken, else the last-write time
    Written,  // the last-write time
    Size,
};

// "given", "name", "taken", "written", "size"; nullopt for anything else.
std::optional<SortKey> sortKeyNamed(const std::string& name);

// Whether a file's date taken was found, where it was looked for: nullopt where it was not.
using DatesFound = std::vector<std::optional<bool>>;

struct BatchOrder {
    std::vector<std::size_t> order;  // positions in the given list, in the order wanted
    DatesFound dated;                // per given position; filled for SortKey::Taken
};

// The order of the files (ANSI paths, as handed to the plug-in). Stable: ties, and files whose
// key cannot be read (sorted after the rest), keep the order they were given in.
BatchOrder orderBatch(const std::vector<std::string>& paths, SortKey key);

}  // namespace nm
