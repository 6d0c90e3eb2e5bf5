#include "win9x/disk_image.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <set>
#include <thread>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "platform/win_types.h"
#include "prefix/dos_attributes.h"
#include "prefix/file_set.h"
#include "prefix/image_lock.h"
#include "prefix/prefix_error.h"
#include "win9x/host_tool.h"
#include "text/cp1251.h"
#include "win9x/win9x_image.h"

namespace vlx::win9x {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kKeptAttributes = fileattr::ReadOnly | fileattr::Hidden | fileattr::System;
constexpr std::uint64_t kInitSize = 64ull << 20;
constexpr std::uint32_t kInitStart = 2048;  // the partition starts at 1 MB

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::string ReadSector(std::ifstream& in, const fs::path& image, std::uint64_t lba) {
  std::string sector(kSector, '\0');
  in.seekg(static_cast<std::streamoff>(lba * kSector));
  if (!in.read(sector.data(), kSector))
    throw prefix::PrefixError(image.string() + ": cannot read sector " + std::to_string(lba));
  return sector;
}

bool HasBootSignature(const std::string& sector) {
  return static_cast<unsigned char>(sector[510]) == 0x55 &&
         static_cast<unsigned char>(sector[511]) == 0xAA;
}

// A FAT boot sector: a jump, 512-byte sectors and the file system name where FAT12/16 or FAT32
// keep it.
bool IsFatBootSector(const std::string& s) {
  const auto jump = static_cast<unsigned char>(s[0]);
  return HasBootSignature(s) && (jump == 0xEB || jump == 0xE9) && s[11] == 0 && s[12] == 2 &&
         (s.compare(0x36, 3, "FAT") == 0 || s.compare(0x52, 5, "FAT32") == 0);
}

bool IsFatType(unsigned char type) {
  switch (type) {
    case 0x01: case 0x04: case 0x06: case 0x0B: case 0x0C: case 0x0E:
    case 0x11: case 0x14: case 0x16: case 0x1B: case 0x1C: case 0x1E:
      return true;
    default:
      return false;
  }
}
bool IsExtendedType(unsigned char type) { return type == 0x05 || type == 0x0F || type == 0x85; }

struct Partition {
  int number;
  unsigned char type;
  std::uint64_t start;  // in sectors
};

// Primary partitions 1-4, then the logical ones of the first extended partition from 5 on.
std::vector<Partition> Partitions(std::ifstream& in, const fs::path& image, const std::string& mbr) {
  std::vector<Partition> parts;
  std::uint64_t extended = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t e = 0x1BE + 16 * i;
    const auto type = static_cast<unsigned char>(mbr[e + 4]);
    const std::uint32_t start = Le32(mbr, e + 8);
    if (type == 0 || start == 0) continue;
    if (IsExtendedType(type) && !extended) extended = start;
    parts.push_back({i + 1, type, start});
  }
  std::uint64_t next = extended;
  for (int number = 5; next && number < 5 + 64; ++number) {  // a bound against loops
    const std::string ebr = ReadSector(in, image, next);
    if (!HasBootSignature(ebr)) break;
    const auto type = static_cast<unsigned char>(ebr[0x1BE + 4]);
    parts.push_back({number, type, next + Le32(ebr, 0x1BE + 8)});
    const std::uint32_t link = Le32(ebr, 0x1CE + 8);
    next = IsExtendedType(static_cast<unsigned char>(ebr[0x1CE + 4])) && link ? extended + link : 0;
  }
  return parts;
}

std::string Target(const DiskVolume& volume) {
  return volume.image.string() + "@@" + std::to_string(volume.offset);
}

std::string ImagePath(const std::string& relative) { return "::/" + relative; }

// mattrib arguments that make a file's read-only, hidden and system bits these.
std::vector<std::string> AttributeFlags(std::uint32_t attributes) {
  return {attributes & fileattr::ReadOnly ? "+r" : "-r", attributes & fileattr::Hidden ? "+h" : "-h",
          attributes & fileattr::System ? "+s" : "-s"};
}

void SetImageAttributes(const DiskVolume& volume, const std::string& relative,
                        std::uint32_t attributes) {
  std::vector<std::string> args{"mattrib", "-i", Target(volume)};
  for (auto& flag : AttributeFlags(attributes)) args.push_back(flag);
  args.push_back(ImagePath(relative));
  RunToolChecked(args);
}

// Short (8.3) names that differ from the long ones, as mdir lists them: folder, short, long.
struct Alias {
  std::string folder, shortName, longName;
};
std::vector<Alias> ShortNames(const std::string& listing) {
  std::vector<Alias> aliases;
  // "PROGRA~1     <DIR>     2026-12-10  10:24  Program Files", "CONFIG   SYS       100 ..."
  static const std::regex entry(
      R"(^(\S{1,8}) +(\S{0,3}) +(<DIR>|[0-9]+) +[0-9]{4}-[0-9]{2}-[0-9]{2} +[0-9]{1,2}:[0-9]{2}  (.+)$)");
  std::string folder;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Directory for ::/", 0) == 0) {
      folder = line.substr(17);
      continue;
    }
    std::smatch m;
    if (!std::regex_match(line, m, entry)) continue;
    std::string shortName = m[1].str() + (m[2].length() ? "." + m[2].str() : "");
    if (shortName == "." || shortName == ".." || EqualNoCaseCp1251(shortName, m[4].str())) continue;
    aliases.push_back({folder, shortName, m[4].str()});
  }
  return aliases;
}

bool IsHive(const std::string& relative) {
  std::string lower = relative;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dat") == 0;
}

// The volume's files and folders with their read-only, hidden and system bits, as mattrib lists
// them: "  A  SHR     ::/WINDOWS/SYSTEM.DAT" (the letters before the path).
struct Listed {
  std::string path;  // below the root, '/'-separated
  std::uint32_t attributes = 0;
};
std::vector<Listed> ListVolume(const std::string& target) {
  const std::string listing = RunToolChecked({"mattrib", "-i", target, "-/", "::/"});
  std::vector<Listed> entries;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("::/");
    if (at == std::string::npos || at + 3 >= line.size()) continue;
    const std::string flags = line.substr(0, at);
    Listed entry{line.substr(at + 3), 0};
    if (flags.find('R') != std::string::npos) entry.attributes |= fileattr::ReadOnly;
    if (flags.find('H') != std::string::npos) entry.attributes |= fileattr::Hidden;
    if (flags.find('S') != std::string::npos) entry.attributes |= fileattr::System;
    entries.push_back(std::move(entry));
  }
  return entries;
}

// A write-back first puts each new file beside its target under a name of this form, then names
// the set in the journal at the root, then renames them; the next session finishes or undoes an
// unfinished one (the journal is complete only with its last line).
constexpr const char* kImageJournal = "VOLNRX.JNL";
// How long a session waits for the image's lock and for mtools programs of a killed run.
constexpr std::chrono::seconds kRecoveryWait{5};
std::string StagedName(std::size_t n) {
  std::string digits = std::to_string(n);
  return "~V" + std::string(6 - std::min<std::size_t>(digits.size(), 6), '0') + digits + ".TMP";
}
bool IsStagedName(const std::string& path) {
  static const std::regex staged(R"((^|.*/)~V[0-9]{6}\.TMP$)", std::regex::icase);
  return std::regex_match(path, staged);
}
bool IsJournal(const std::string& path) { return EqualNoCaseCp1251(path, kImageJournal); }

std::string Parent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
std::string Name(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first number of the line of `text` that holds `label`, thousands separated by spaces or not.
std::uint64_t NumberBefore(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return 0;
  const std::size_t lineStart = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
  std::string digits;
  for (std::size_t i = lineStart; i < at; ++i)
    if (std::isdigit(static_cast<unsigned char>(text[i]))) digits += text[i];
  return digits.empty() ? 0 : std::stoull(digits);
}
// The number after `label` on its line ("cluster size: 4 sectors").
std::uint64_t NumberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return 0;
  std::size_t i = at + label.size();
  while (i < text.size() && text[i] == ' ') ++i;
  std::uint64_t n = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) n = n * 10 + (text[i++] - '0');
  return n;
}

// One step of a journal, done again harmlessly by a later session: "put STAGED TARGET" renames
// a staged file over its target, "attr PATH BITS", "del PATH" (a file), "rd PATH" (a folder).
// `finishing`: a later session's, where a step already done is passed over.
void ApplyStep(const std::string& target, const std::vector<std::string>& step, bool finishing,
               const std::vector<Listed>& present) {
  auto run = [&](const std::vector<std::string>& args) {
    if (finishing)
      RunTool(args);
    else
      RunToolChecked(args);
  };
  if (step.size() == 3 && step[0] == "put") {
    if (finishing && std::none_of(present.begin(), present.end(), [&](const Listed& entry) {
          return EqualNoCaseCp1251(entry.path, step[1]);
        }))
      return;  // renamed before the stop
    RunToolChecked({"mren", "-D", "o", "-i", target, ImagePath(step[1]), Name(step[2])});
  } else if (step.size() == 3 && step[0] == "attr") {
    std::vector<std::string> args{"mattrib", "-i", target};
    for (auto& flag : AttributeFlags(static_cast<std::uint32_t>(std::stoul(step[2])))) args.push_back(flag);
    args.push_back(ImagePath(step[1]));
    run(args);
  } else if (step.size() == 2 && step[0] == "del") {
    RunTool({"mattrib", "-i", target, "-r", ImagePath(step[1])});
    run({"mdel", "-i", target, ImagePath(step[1])});
  } else if (step.size() == 2 && step[0] == "rd") {
    run({"mrd", "-i", target, ImagePath(step[1])});
  }
}

}  // namespace

DiskVolume FindDiskVolume(const std::string& spec) {
  std::string path = spec;
  int wanted = 0;
  const std::size_t colon = spec.rfind(':');
  std::error_code ec;
  if (colon != std::string::npos && colon + 1 < spec.size() && !fs::exists(spec, ec) &&
      std::all_of(spec.begin() + static_cast<std::ptrdiff_t>(colon) + 1, spec.end(),
                  [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    path = spec.substr(0, colon);
    wanted = std::stoi(spec.substr(colon + 1));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw prefix::PrefixError("Cannot read the disk image " + path);
  const std::string first = ReadSector(in, path, 0);
  if (IsFatBootSector(first)) {
    if (wanted > 1) throw prefix::PrefixError(path + " is a single FAT volume, it has no partition " + std::to_string(wanted));
    return {path, 0};
  }
  if (!HasBootSignature(first)) throw prefix::PrefixError(path + " has neither a partition table nor a FAT volume");
  for (const Partition& part : Partitions(in, path, first)) {
    if (wanted ? part.number != wanted : !IsFatType(part.type)) continue;
    if (!IsFatBootSector(ReadSector(in, path, part.start)))
      throw prefix::PrefixError(path + ": partition " + std::to_string(part.number) +
                                " holds no FAT file system");
    return {path, part.start * kSector};
  }
  throw prefix::PrefixError(path + (wanted ? ": there is no partition " + std::to_string(wanted)
                                           : std::string(": no FAT partition")));
}

std::string SinglePartitionMbr(std::uint64_t sectors, std::uint32_t start) {
  std::string mbr(kSector, '\0');
  const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors - start, 0xFFFFFFFFu));
  const std::size_t e = 0x1BE;
  mbr[e] = '\x80';                                              // active
  mbr[e + 1] = '\xFE'; mbr[e + 2] = '\xFF'; mbr[e + 3] = '\xFF';  // CHS beyond reach: use LBA
  mbr[e + 4] = '\x0C';                                          // FAT32 (LBA)
  mbr[e + 5] = '\xFE'; mbr[e + 6] = '\xFF'; mbr[e + 7] = '\xFF';
  for (int i = 0; i < 4; ++i) {
    mbr[e + 8 + i] = static_cast<char>((start >> (8 * i)) & 0xFF);
    mbr[e + 12 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  }
  mbr[0x1B8] = 'V'; mbr[0x1B9] = 'L'; mbr[0x1BA] = 'X'; mbr[0x1BB] = '9';  // disk signature
  mbr[510] = '\x55';
  mbr[511] = '\xAA';
  return mbr;
}

void CreateDiskImage(const fs::path& image) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(image, ec)))
    throw prefix::PrefixError("Cannot create a disk image at " + image.string() + ": it exists");
  fs::path absolute = fs::absolute(image).lexically_normal();
  std::string pattern = (absolute.parent_path() / ("." + absolute.filename().string() + ".XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw prefix::PrefixError("Cannot create a disk image at " + image.string() +
                              ": its folder cannot be written");
  const fs::path work = pattern;
  try {
    const fs::path drive = work / "drive";
    CreateWin9xDrive(drive);
    const fs::path disk = work / "disk.img";
    {
      std::ofstream out(disk, std::ios::binary);
      out << SinglePartitionMbr(kInitSize / kSector, kInitStart);
      if (!out) throw prefix::PrefixError("cannot write " + disk.string());
    }
    fs::resize_file(disk, kInitSize);
    RunToolChecked({"mkfs.fat", "-F", "32", "--offset", std::to_string(kInitStart), "-n", "VOLNERIX",
                    disk.string()});
    const DiskVolume volume{disk, std::uint64_t{kInitStart} * kSector};
    std::vector<std::string> copy{"mcopy", "-s", "-m", "-i", Target(volume)};
    for (const auto& entry : fs::directory_iterator(drive)) copy.push_back(entry.path().string());
    copy.push_back("::/");
    RunToolChecked(copy);
    for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator(); ++it) {
      const std::uint32_t attributes = prefix::ReadDosAttributes(it->path()) & kKeptAttributes;
      if (attributes)
        SetImageAttributes(volume, fs::relative(it->path(), drive).generic_string(), attributes);
    }
    fs::rename(disk, absolute);
  } catch (const std::exception& error) {
    fs::remove_all(work, ec);
    throw prefix::PrefixError("Cannot create a disk image at " + image.string() + ": " + error.what());
  }
  fs::remove_all(work, ec);
}

std::string ImageWriter(const fs::path& image) {
  std::error_code ec;
  const fs::path target = fs::canonical(image, ec);
  if (ec) return {};
  const std::string self = std::to_string(::getpid());
  for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
    const std::string pid = proc->path().filename().string();
    if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit) || pid == self) continue;
    std::error_code fdError;
    for (fs::directory_iterator fd(proc->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
         fd.increment(fdError)) {
      std::error_code linkError;
      if (fs::read_symlink(fd->path(), linkError) != target || linkError) continue;
      // "flags:\t0100002": the access mode is the low two bits of the octal flags.
      std::ifstream info(proc->path() / "fdinfo" / fd->path().filename());
      std::string word, flags;
      while (info >> word)
        if (word == "flags:" && info >> flags) break;
      if (flags.empty() || (std::stoul(flags, nullptr, 8) & O_ACCMODE) == O_RDONLY) continue;
      std::ifstream comm(proc->path() / "comm");
      std::string name;
      std::getline(comm, name);
      return (name.empty() ? std::string("a program") : name) + " (process " + pid + ")";
    }
  }
  return {};
}

DiskSession::DiskSession(DiskVolume volume, bool claimed) : volume_(std::move(volume)) {
  std::vector<Listed> listed = ListVolume(Target(volume_));
  if (std::any_of(listed.begin(), listed.end(),
                  [](const Listed& e) { return IsJournal(e.path) || IsStagedName(e.path); })) {
    // An earlier write-back stopped midway: finish or undo it before anything is read, under
    // the image's lock (a writer still at work is waited for).
    std::optional<prefix::ImageLock> lock;
    if (!claimed) lock.emplace(volume_.image, kRecoveryWait);
    FinishWriteBack();
    listed = ListVolume(Target(volume_));
  }
  std::string pattern = (fs::temp_directory_path() / "volnrx-disk-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw prefix::PrefixError("Cannot make a working folder for " + volume_.image.string());
  folder_ = pattern;
  try {
    if (!listed.empty())
      RunToolChecked({"mcopy", "-s", "-m", "-n", "-i", Target(volume_), "::/*", folder_.string() + "/"});
    for (const Listed& entry : listed)
      if (entry.attributes) prefix::WriteDosAttributes(folder_ / entry.path, entry.attributes);
    // Paths the installation keeps in short form (C:\PROGRA~1\...) reach the long names through
    // symbolic links, which are never written back.
    const std::string names = RunToolChecked({"mdir", "-a", "-/", "-i", Target(volume_), "::/"});
    for (const Alias& alias : ShortNames(names)) {
      const fs::path link = folder_ / alias.folder / alias.shortName;
      std::error_code ec;
      if (!fs::exists(fs::symlink_status(link, ec))) fs::create_symlink(alias.longName, link, ec);
    }
    original_ = Scan();
  } catch (...) {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    throw;
  }
}

void DiskSession::FinishWriteBack() {
  const std::string target = Target(volume_);
  // mtools programs of a run that was killed may still be at work on the image.
  const auto deadline = std::chrono::steady_clock::now() + kRecoveryWait;
  std::string writer;
  while (!(writer = ImageWriter(volume_.image)).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (!writer.empty())
    throw prefix::PrefixError(volume_.image.string() + " is open for writing in " + writer +
                              "; an unfinished write-back of an earlier run is finished once it ends");
  const std::vector<Listed> listed = ListVolume(target);
  const bool journal = std::any_of(listed.begin(), listed.end(), [](const Listed& e) { return IsJournal(e.path); });
  if (journal) {
    const ToolResult text = RunTool({"mtype", "-i", target, ImagePath(kImageJournal)});
    // A complete journal: every staged file was written, so the set is finished.
    if (const auto steps = prefix::ParseJournal(text.status == 0 ? text.output : std::string()))
      for (const auto& step : *steps) ApplyStep(target, step, true, listed);
  }
  // What is still staged belongs to a set that never got its journal: removed.
  for (const Listed& entry : ListVolume(target))
    if (IsStagedName(entry.path)) {
      RunTool({"mattrib", "-i", target, "-r", ImagePath(entry.path)});
      RunToolChecked({"mdel", "-i", target, ImagePath(entry.path)});
    }
  if (journal) RunToolChecked({"mdel", "-i", target, ImagePath(kImageJournal)});
}

DiskSession::~DiskSession() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(folder_, ec);
}

std::map<std::string, DiskSession::Entry> DiskSession::Scan() const {
  std::map<std::string, Entry> entries;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
    Entry entry;
    entry.directory = S_ISDIR(st.st_mode);
    entry.inode = st.st_ino;
    entry.size = static_cast<std::uint64_t>(st.st_size);
    entry.mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    entry.attributes = prefix::ReadDosAttributes(it->path()) & kKeptAttributes;
    entries.emplace(fs::relative(it->path(), folder_).generic_string(), entry);
  }
  return entries;
}

void DiskSession::WriteBack() {
  const auto now = Scan();
  const std::string target = Target(volume_);
  // A file replaced (atomically: another inode) or written in place has changed.
  auto sameFile = [](const Entry& a, const Entry& b) {
    return a.directory == b.directory && a.inode == b.inode && a.size == b.size && a.mtime == b.mtime;
  };
  const bool unchanged = std::equal(now.begin(), now.end(), original_.begin(), original_.end(),
                                    [&](const auto& a, const auto& b) {
                                      return a.first == b.first && sameFile(a.second, b.second) &&
                                             a.second.attributes == b.second.attributes;
                                    });
  if (unchanged) return;
  const std::string image = volume_.image.string();
  // Root may write any file; an image its owner marked read-only is left so all the same.
  struct stat st {};
  if (::stat(volume_.image.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    throw prefix::PrefixError(image + " is read-only (mode " + mode + "): nothing was written to it");
  }
  const std::string writer = ImageWriter(volume_.image);
  if (!writer.empty())
    throw prefix::PrefixError(image + " is open for writing in " + writer +
                              ": nothing was written to it");
  // New folders (parents first: the map's order), new and changed files (the registry files
  // last), and the journal's steps after the staged files.
  std::vector<std::string> folders, files;
  std::vector<std::vector<std::string>> steps;
  for (const auto& [path, entry] : now) {
    const auto old = original_.find(path);
    if (entry.directory && (old == original_.end() || !old->second.directory)) folders.push_back(path);
    if (!entry.directory && (old == original_.end() || !sameFile(old->second, entry))) files.push_back(path);
  }
  std::stable_partition(files.begin(), files.end(), [](const std::string& p) { return !IsHive(p); });
  std::vector<std::string> staged;
  for (std::size_t n = 0; n < files.size(); ++n) {
    const std::string parent = Parent(files[n]);
    staged.push_back((parent.empty() ? "" : parent + "/") + StagedName(n + 1));
    steps.push_back({"put", staged.back(), files[n]});
  }
  for (const auto& [path, entry] : now) {  // attributes that changed alone
    const auto old = original_.find(path);
    if (old != original_.end() && old->second.attributes != entry.attributes &&
        std::find(files.begin(), files.end(), path) == files.end())
      steps.push_back({"attr", path, std::to_string(entry.attributes)});
  }
  for (auto it = original_.rbegin(); it != original_.rend(); ++it)  // children before folders
    if (!now.count(it->first)) steps.push_back({it->second.directory ? "rd" : "del", it->first});

  // Every new file is written whole beside the old one before any old one goes: there must be
  // room for all of them at once, and for the journal and the folders' new entries.
  const std::string info = RunToolChecked({"minfo", "-i", target, "::"});
  const std::uint64_t cluster =
      std::max<std::uint64_t>(1, NumberAfter(info, "sector size:") * NumberAfter(info, "cluster size:"));
  std::set<std::string> growing(folders.begin(), folders.end());
  std::uint64_t needed = cluster;  // the journal
  for (const auto& path : files) {
    needed += (now.at(path).size + cluster - 1) / cluster * cluster;
    growing.insert(Parent(path));
  }
  needed += growing.size() * cluster;
  const std::uint64_t free =
      NumberBefore(RunToolChecked({"mdir", "-i", target, "::/"}), "bytes free");
  if (needed > free)
    throw prefix::PrefixError("Not enough room in " + image + " for the changes: " +
                              std::to_string(needed) + " bytes are needed, " + std::to_string(free) +
                              " are free; nothing was written to it");

  try {
    for (const auto& path : folders) RunToolChecked({"mmd", "-i", target, ImagePath(path)});
    for (std::size_t n = 0; n < files.size(); ++n) {
      RunToolChecked({"mcopy", "-D", "o", "-m", "-i", target, (folder_ / files[n]).string(),
                      ImagePath(staged[n])});
      SetImageAttributes(volume_, staged[n], now.at(files[n]).attributes);
    }
    // The journal goes in last, from a file beside the working folder.
    struct HostFile {
      fs::path path;
      ~HostFile() {
        std::error_code ec;
        fs::remove(path, ec);
      }
    } journal{folder_.string() + ".jnl"};
    {
      std::ofstream out(journal.path, std::ios::binary);
      out << prefix::JournalText(steps);
      if (!out.flush()) throw prefix::PrefixError("Cannot write " + journal.path.string());
    }
    RunToolChecked({"mcopy", "-D", "o", "-i", target, journal.path.string(), ImagePath(kImageJournal)});
  } catch (const std::exception& error) {
    // Nothing the image had is changed yet: the staged files (and a journal half copied) go.
    for (const auto& path : staged) RunTool({"mdel", "-i", target, ImagePath(path)});
    RunTool({"mdel", "-i", target, ImagePath(kImageJournal)});
    throw prefix::PrefixError(std::string(error.what()) + "; " + image + " keeps what it had");
  }
  try {
    for (const auto& step : steps) ApplyStep(target, step, false, {});
    RunToolChecked({"mdel", "-i", target, ImagePath(kImageJournal)});
  } catch (const std::exception& error) {
    throw prefix::PrefixError(std::string(error.what()) + "; the next run on " + image +
                              " finishes writing the changes");
  }
  original_ = now;
}

}  // namespace vlx::win9x
