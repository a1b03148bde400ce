#pragma once
// The one way Turnbrix replaces a file: programs, exports, default.txt and toolpath.txt.
// A reader sees the old file or the whole new one, never a part, whatever happens meanwhile
// (a crash, a kill, a full disk, another save at the same moment).
#include <filesystem>
#include <string>
#include <string_view>

namespace tbx {

struct SafeSaveOptions {
  // Replace a file whose mode bits say it is read-only (the user agreed to it).
  bool overwriteReadOnly = false;
};

struct SafeSaveResult {
  std::string error;      // why it failed ("No space left on device"), empty when saved
  bool readOnly = false;  // refused only because the file is read-only
  explicit operator bool() const { return error.empty(); }
};

// Whether the mode bits make a file read-only for us, as editors decide it: the owner, group
// or other bits that apply to the effective user; for root, which may write anything, a file
// without any write bit.
bool IsReadOnlyFile(const std::filesystem::path& file);

// Writes `content` to PATH: a symbolic link is followed and its final target replaced (the
// link stays). The text goes to a new, uniquely named file in the target's folder, created
// exclusively and never through a link, flushed to disk, given the old file's mode and owner
// and renamed over the target; the folder is flushed after. A failure removes the new file and
// keeps the old one as it was. A read-only file is refused unless the options allow it.
SafeSaveResult SafeSave(const std::filesystem::path& path, std::string_view content,
                        const SafeSaveOptions& options = {});

// The file a symbolic link finally names (PATH itself when it is no link).
std::filesystem::path FinalTarget(std::filesystem::path path);

}  // namespace tbx
