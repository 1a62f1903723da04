#pragma once
// Reading a plain file piece by piece, for the readers of the program's files (data files, CSV
// files, set-ups).
#include <functional>
#include <string>
#include <string_view>

#include "platform/base/Result.h"

namespace qb::platform {

// Hands the file's content to `take` in pieces, in order, until the end or until `take` returns
// false. The file is opened without blocking, so a named pipe or a device cannot hang the read
// before it is refused as not a plain file. Fails with "no file name", "not a plain file" or the
// system's reason.
Result<> ReadPlainFile(const std::string& path, const std::function<bool(std::string_view piece)>& take);

} // namespace qb::platform
