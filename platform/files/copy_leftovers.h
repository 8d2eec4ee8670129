// Copies in the making that a killed process left behind. CopyFileW writes
// ".<target name>.copy-XXXXXX" beside its target and holds a lock on it until it is renamed; a file
// of that name whose lock can be taken has no writer left and is removed. Nothing else is touched.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ce::files {

// Removes the abandoned copies in the CE folder `ce_folder` (not below it). A program calls it at
// start for the folders it copies into.
void RemoveAbandonedCopies(std::u16string_view ce_folder);

// The same for a host folder, leaving `own` (a copy the caller is making) alone.
void RemoveAbandonedCopiesIn(const std::filesystem::path& folder, const std::string& own = {});

}  // namespace ce::files
