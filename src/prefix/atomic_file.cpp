#include "prefix/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "prefix/prefix_error.h"

namespace vlx::prefix {

namespace {
WriteFaultHook& Hook() {
  static WriteFaultHook hook;
  return hook;
}

bool StepAllowed(WriteStep step) { return !Hook() || Hook()(step); }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, int error) {
  throw PrefixError("Cannot write " + path.string() + ": " + what + " failed (" +
                    std::strerror(error) + ")");
}
}  // namespace

void SetWriteFaultHook(WriteFaultHook hook) { Hook() = std::move(hook); }

namespace {
FileIdentity IdentityOfStat(const struct stat& st) {
  FileIdentity id;
  id.exists = true;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = static_cast<unsigned long long>(st.st_size);
  id.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  id.changed = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
  return id;
}
}  // namespace

FileIdentity IdentityOf(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? IdentityOfStat(st) : FileIdentity{};
}

FileIdentity IdentityOf(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? IdentityOfStat(st) : FileIdentity{};
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
  WriteFileAtomically(path, [content](const PieceWriter& write) { write(content); });
}

void WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<void(const PieceWriter&)>& produce,
                         const FileIdentity* expected) {
  std::string temp = path.string() + ".XXXXXX";
  if (!StepAllowed(WriteStep::Create)) Fail(path, "create", EIO);
  FileDescriptor fd(::mkstemp(temp.data()));
  if (fd.get() < 0) Fail(path, "create", errno);
  struct Cleanup {
    std::string name;
    bool active = true;
    ~Cleanup() {
      if (active) ::unlink(name.c_str());
    }
  } cleanup{temp};

  // Keep the permissions of the file being replaced (mkstemp makes 0600).
  struct stat st {};
  ::fchmod(fd.get(), ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);

  if (!StepAllowed(WriteStep::Write)) Fail(path, "write", EIO);
  auto writeAll = [&](std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(path, "write", errno);
      }
      done += static_cast<std::size_t>(n);
    }
  };
  // Small pieces are gathered so each write call moves a good amount; the buffer is allocated
  // once, so saving a large file adds a fixed amount of memory.
  constexpr std::size_t kChunk = 256 << 10;
  std::string buffer;
  buffer.reserve(kChunk);
  produce([&](std::string_view piece) {
    if (buffer.size() + piece.size() > kChunk) {
      writeAll(buffer);
      buffer.clear();
    }
    if (piece.size() >= kChunk)
      writeAll(piece);
    else
      buffer += piece;
  });
  writeAll(buffer);
  if (!StepAllowed(WriteStep::Flush) || ::fsync(fd.get()) != 0) Fail(path, "flush", errno ? errno : EIO);
  if (::close(fd.release()) != 0) Fail(path, "close", errno);
  if (expected && IdentityOf(path) != *expected)
    throw PrefixError("Not saved: " + path.string() +
                      " changed on disk since it was loaded; it keeps what is there now");
  if (!StepAllowed(WriteStep::Rename) || ::rename(temp.c_str(), path.c_str()) != 0)
    Fail(path, "rename", errno ? errno : EIO);
  cleanup.active = false;
}

}  // namespace vlx::prefix
