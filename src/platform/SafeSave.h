#pragma once
// Saving a whole file so that a failure never destroys what was there, for every file the
// program writes.
#include <string>
#include <string_view>

#include "platform/Result.h"

namespace qb::platform {

// Replaces the file at path with bytes, or leaves it as it was. The bytes go to a new temporary
// file in the same directory, which is flushed to the disk, closed and then renamed over the
// target; on any failure the temporary file is removed and the old file (if any) is untouched.
// A target that is a symbolic link has the file it points to replaced. A new file gets the
// usual permissions (read-write as the umask allows); a replaced file keeps its permissions.
// On failure, what went wrong (for the message the caller shows).
Result<> SaveFileSafely(const std::string& path, std::string_view bytes);

} // namespace qb::platform
