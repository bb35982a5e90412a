#pragma once

#include "core/support/error.hpp"

#include <filesystem>
#include <functional>
#include <string_view>
#include <sys/types.h>

namespace orvendel::AtomicFile {

// Called after the new content is on disk under a temporary name and before it replaces the target;
// returning false stops there, as a crash at that moment would (tests inject it).
using BeforeReplace = std::function<bool(const std::filesystem::path& temporary)>;

// Replaces `target` so that a reader (or a crash) sees either the old file or the whole new one: write a
// temporary file in the same folder, fsync it, rename it over the target, fsync the folder. The file gets
// `mode`. A symbolic link at the target is refused, never replaced. On failure the target is untouched and
// the error ("LocalFile") says why.
// Thread contract: any thread; concurrent writers of one target must be serialised by the caller.
Result<void> write(const std::filesystem::path& target, std::string_view bytes, mode_t mode,
                   const BeforeReplace& beforeReplace = {});

} // namespace orvendel::AtomicFile
