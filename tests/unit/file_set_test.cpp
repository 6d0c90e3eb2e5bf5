// Files replaced together: whatever state a stopped run left, the next one ends with all of them
// as they were or all new.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "prefix/file_set.h"
#include "prefix/prefix_error.h"
#include "unit/path_temp_dir.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

struct Image {
  TempDir dir;
  fs::path a = dir.path() / "system.reg", b = dir.path() / "sub" / "user.reg";
  fs::path journal = dir.path() / "volnrx.jnl";
  Image() {
    WriteHostFile(a, "old a");
    WriteHostFile(b, "old b");
  }
  std::string State() const { return ReadHostFile(a) + " / " + ReadHostFile(b); }
  bool Clean() const {
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name.find(".vlxnew") != std::string::npos || name == "volnrx.jnl") return false;
    }
    return true;
  }
};

const std::string kJournal = JournalText({{"put", "system.reg.vlxnew", "system.reg"},
                                          {"put", "sub/user.reg.vlxnew", "sub/user.reg"}});

TEST(FileSet, TheNextRunFinishesOrUndoesWhatAStoppedOneLeft) {
  struct Case {
    const char* name;
    bool stagedA, stagedB, renamedA;  // what the stopped run got done
    std::string journal;              // its journal as it is on disk; empty: none
    const char* after;
  };
  const std::string cut = kJournal.substr(0, kJournal.size() - 4);  // without "end"
  const Case cases[] = {
      {"both staged, journal written", true, true, false, kJournal, "new a / new b"},
      {"first renamed, then stopped", false, true, true, kJournal, "new a / new b"},
      {"both staged, no journal", true, true, false, "", "old a / old b"},
      {"one staged, no journal", true, false, false, "", "old a / old b"},
      {"journal cut short", true, true, false, cut, "old a / old b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Image image;
    if (c.stagedA) WriteHostFile(StagedPath(image.a), "new a");
    if (c.renamedA) WriteHostFile(image.a, "new a");
    if (c.stagedB) WriteHostFile(StagedPath(image.b), "new b");
    if (!c.journal.empty()) WriteHostFile(image.journal, c.journal);
    ASSERT_TRUE(FileSetPending(image.journal, {image.a, image.b}));
    FinishFileSet(image.journal, {image.a, image.b});
    EXPECT_EQ(image.State(), c.after);
    EXPECT_TRUE(image.Clean());
    EXPECT_FALSE(FileSetPending(image.journal, {image.a, image.b}));
  }
}

TEST(FileSet, AStoppedWriteOfAStagedFileIsNoSetAndIsRemoved) {
  Image image;
  WriteHostFile(image.dir.path() / "system.reg.vlxnew.Ab12Cd", "half");
  EXPECT_TRUE(FileSetPending(image.journal, {image.a, image.b}));
  FinishFileSet(image.journal, {image.a, image.b});
  EXPECT_EQ(image.State(), "old a / old b");
  EXPECT_TRUE(image.Clean());
}

TEST(FileSet, ACommitReplacesAllAndLeavesNothingBesideThem) {
  Image image;
  {
    FileSet set(image.journal);
    set.Stage(image.a, [](const PieceWriter& write) { write("new a"); });
    set.Stage(image.b, [](const PieceWriter& write) { write("new b"); });
    EXPECT_EQ(image.State(), "old a / old b");
    set.Commit();
  }
  EXPECT_EQ(image.State(), "new a / new b");
  EXPECT_TRUE(image.Clean());
}

TEST(FileSet, ASetNotCommittedOrRefusedChangesNoFile) {
  Image image;
  {
    FileSet set(image.journal);
    set.Stage(image.a, [](const PieceWriter& write) { write("new a"); });
  }
  EXPECT_EQ(image.State(), "old a / old b");
  EXPECT_TRUE(image.Clean());

  // The second file changed on disk since it was read: neither is written.
  const FileIdentity loaded = IdentityOf(image.b);
  WriteHostFile(image.b, "someone else's b");
  {
    FileSet set(image.journal);
    set.Stage(image.a, [](const PieceWriter& write) { write("new a"); });
    set.Stage(image.b, [](const PieceWriter& write) { write("new b"); }, &loaded);
    EXPECT_THROW(set.Commit(), PrefixError);
  }
  EXPECT_EQ(image.State(), "old a / someone else's b");
  EXPECT_TRUE(image.Clean());
}

}  // namespace
}  // namespace vlx::prefix
