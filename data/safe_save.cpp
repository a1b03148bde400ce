#include "data/safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

namespace tbx {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) { return std::generic_category().message(error); }

// The process's umask without changing it (umask() itself sets it, racing other threads).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  }
  return 022;
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

fs::path FinalTarget(fs::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

bool IsReadOnlyFile(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return false;
  const uid_t uid = ::geteuid();
  if (uid == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  if (st.st_uid == uid) return (st.st_mode & S_IWUSR) == 0;
  if (st.st_gid == ::getegid()) return (st.st_mode & S_IWGRP) == 0;
  gid_t groups[256];
  const int count = ::getgroups(256, groups);
  for (int i = 0; i < count; ++i) {
    if (groups[i] == st.st_gid) return (st.st_mode & S_IWGRP) == 0;
  }
  return (st.st_mode & S_IWOTH) == 0;
}

SafeSaveResult SafeSave(const fs::path& path, std::string_view content, const SafeSaveOptions& options) {
  const fs::path target = FinalTarget(path);
  struct stat old {};
  bool replacing = ::lstat(target.c_str(), &old) == 0;
  if (!replacing && errno != ENOENT) return {Reason(errno)};
  if (replacing && S_ISLNK(old.st_mode)) return {Reason(ELOOP)};
  if (replacing && S_ISDIR(old.st_mode)) return {Reason(EISDIR)};
  if (replacing && !S_ISREG(old.st_mode)) return {"it is not a regular file"};
  if (replacing && !options.overwriteReadOnly && IsReadOnlyFile(target)) return {"it is read-only", true};

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // Unique per save: neither a file of the user's nor another save's can share the name, and
  // mkstemp's O_CREAT|O_EXCL never opens through a link planted there.
  std::string fresh = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(fresh.data(), O_CLOEXEC);
  if (fd < 0) return {Reason(errno)};

  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(fresh.c_str());
    return SafeSaveResult{Reason(error)};
  };
  if (!WriteAll(fd, content)) return fail(errno);
  // The owner first: a change of owner clears set-id bits that the mode then restores. A
  // user may not give a file away, so the owner is kept where the system allows it.
  if (replacing && ::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  const mode_t mode = replacing ? old.st_mode & 07777 : 0666 & ~CurrentUmask();
  if (::fchmod(fd, mode) != 0) return fail(errno);
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(fresh.c_str());
    return {Reason(error)};
  }
  if (::rename(fresh.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(fresh.c_str());
    return {Reason(error)};
  }
  // The rename itself reaches the disk only with the folder.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace tbx
