// A raw disk image (or a bare FAT volume) holding a Windows 9x boot drive, worked on without
// mounting and without root through mtools: the drive's files are copied out into a working
// folder, the machine runs on that folder as on a copied drive, and what changed goes back into
// the image file by file, each as a whole-file replacement.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace vlx::win9x {

struct DiskVolume {
  std::filesystem::path image;
  std::uint64_t offset = 0;  // of the FAT volume in the image, in bytes
};

// "IMAGE" or "IMAGE:N": partition N of an MBR disk (1-4 primary, 5 on logical), by default the
// first FAT partition; an image that starts with a FAT boot sector is the volume itself. Raises
// prefix::PrefixError naming the image when there is no such FAT volume.
DiskVolume FindDiskVolume(const std::string& spec);

// The bytes of the MBR of a disk of `sectors` 512-byte sectors with one active FAT32 (LBA)
// partition from sector `start` to the end.
std::string SinglePartitionMbr(std::uint64_t sectors, std::uint32_t start);

// init --disk IMAGE: a 64 MB disk image with one FAT32 partition holding the drive of init
// --win9x. IMAGE must not exist; it is built beside and renamed into place.
void CreateDiskImage(const std::filesystem::path& image);

// Another process that has the image open for writing (a running emulator, say), as
// "NAME (process PID)"; empty when there is none or this cannot be seen (no /proc).
std::string ImageWriter(const std::filesystem::path& image);

class DiskSession {
 public:
  // Copies the volume's files into a new temporary folder, their FAT attributes with them.
  // First finishes (or undoes) a write-back an earlier session left unfinished, taking the
  // image's lock for it unless `claimed` (the caller holds it).
  explicit DiskSession(DiskVolume volume, bool claimed = true);
  ~DiskSession();  // removes the folder
  DiskSession(const DiskSession&) = delete;
  DiskSession& operator=(const DiskSession&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }

  // Puts what changed in the folder back into the image: new folders, new and changed files,
  // attributes, and removes what was removed. All together: each new file is first written
  // beside its target, then a journal at the volume's root names the set, then the renames and
  // removals follow; a stop before the journal leaves the files as they were, one after it is
  // finished by the next session. Refuses, writing nothing, while another process has the
  // image open for writing, when the image file is read-only (its mode, even for root), and
  // when the volume has no room for every new file beside the old ones.
  void WriteBack();

 private:
  struct Entry {
    bool directory = false;
    std::uint64_t inode = 0, size = 0;
    std::int64_t mtime = 0;
    std::uint32_t attributes = 0;
  };
  std::map<std::string, Entry> Scan() const;
  void FinishWriteBack();

  DiskVolume volume_;
  std::filesystem::path folder_;
  std::map<std::string, Entry> original_;  // by path below the folder, '/'-separated
};

}  // namespace vlx::win9x
