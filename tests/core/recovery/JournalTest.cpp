#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "core/recovery/Journal.h"
#include "core/recovery/JournalWriter.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TJournalIdentity NamedIdentity() {
  TJournalIdentity id;
  id.name = "/home/u/site/index.php";
  id.named = true;
  id.encoding = "windows-1252";
  id.lineBreakStyle = 2;
  id.crlf = 12;
  id.fileTime = 1700000000123456789;
  id.fileSize = 4711;
  id.fileInode = 99;
  return id;
}

TEST(Journal, Crc32MatchesTheStandardCheckValue) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
  const std::string text = "a longer text than eight bytes, in two parts";
  EXPECT_EQ(Crc32(std::string_view(text).substr(13), Crc32(std::string_view(text).substr(0, 13))),
            Crc32(text));
}

TEST(Journal, IdentityRoundTrip) {
  const TJournalIdentity id = NamedIdentity();
  TJournalIdentity back;
  ASSERT_TRUE(DecodeIdentity(EncodeIdentity(id), back));
  EXPECT_EQ(back.name, id.name);
  EXPECT_TRUE(back.named);
  EXPECT_EQ(back.encoding, id.encoding);
  EXPECT_EQ(back.lineBreakStyle, 2);
  EXPECT_EQ(back.crlf, 12u);
  EXPECT_EQ(back.fileTime, id.fileTime);
  EXPECT_EQ(back.fileSize, 4711);
  EXPECT_FALSE(DecodeIdentity(EncodeIdentity(id).substr(0, 10), back));
}

// Random inserts and deletions written by the writer replay to the same text.
TEST(JournalWriter, ReplaysRandomEdits) {
  test::TTempDir dir;
  std::string text = "first line\nsecond line\n";
  std::mt19937 rng(7);
  {
    TJournalWriter writer(dir.Path(), 5);
    writer.Snapshot(3, NamedIdentity(), text);
    for (int i = 0; i < 2000; ++i) {
      // positions on character boundaries, as the editor sends them
      auto boundary = [&](std::size_t at) {
        while (at > 0 && at < text.size() &&
               (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
          --at;
        }
        return at;
      };
      if (rng() % 3 != 0 || text.empty()) {
        const std::size_t at = boundary(rng() % (text.size() + 1));
        const std::string piece = (i % 50 == 0) ? "ü\nline " : std::string(1, 'a' + i % 26);
        text.insert(at, piece);
        writer.Insert(3, at, piece);
      } else {
        const std::size_t at = boundary(rng() % text.size());
        const std::size_t end = boundary(std::min<std::size_t>(at + rng() % 4 + 1, text.size()));
        if (end <= at) continue;
        text.erase(at, end - at);
        writer.Erase(3, at, end - at);
      }
      if (i % 500 == 0) writer.Flush();
    }
    writer.Flush();
    EXPECT_TRUE(writer.TakeError().empty());
  }
  const TJournalContents c = ReadJournal(dir.File("page-3.tvj"));
  EXPECT_EQ(c.state, TJournalContents::State::Ok);
  EXPECT_EQ(c.text, text);
  EXPECT_EQ(c.identity.name, NamedIdentity().name);
  EXPECT_GT(c.edits, 1000u);
  EXPECT_GT(c.lastEditMs, 0u);
}

TEST(JournalWriter, SnapshotReplacesTheLogAndRemoveDeletesIt) {
  test::TTempDir dir;
  TJournalWriter writer(dir.Path(), 5);
  writer.Snapshot(1, NamedIdentity(), "abc");
  writer.Insert(1, 3, "def");
  writer.Flush();
  const auto before = Slurp(dir.File("page-1.tvj")).size();
  writer.Snapshot(1, NamedIdentity(), "abcdef");
  writer.Flush();
  const TJournalContents c = ReadJournal(dir.File("page-1.tvj"));
  EXPECT_EQ(c.text, "abcdef");
  EXPECT_EQ(c.edits, 0u);
  EXPECT_LT(Slurp(dir.File("page-1.tvj")).size(), before);
  writer.Remove(1);
  writer.Flush();
  EXPECT_FALSE(std::ifstream(dir.File("page-1.tvj")).good());
}

// A journal cut at any byte (a kill during its write) gives the text of the last whole record;
// a damaged byte ends it at the damaged record.
TEST(Journal, TornTailRecoversEveryWholeRecord) {
  std::string data = JournalHeader();
  data += EncodeRecord(TJournalRecord::Identity, 1, EncodeIdentity(NamedIdentity()));
  data += EncodeRecord(TJournalRecord::Snapshot, 2, "hello");
  const std::size_t afterSnapshot = data.size();
  data += EncodeRecord(TJournalRecord::Insert, 3, EncodeInsert(5, " world"));
  const std::size_t afterInsert = data.size();
  data += EncodeRecord(TJournalRecord::Erase, 4, EncodeErase(0, 1));
  for (std::size_t cut = afterSnapshot; cut <= data.size(); ++cut) {
    const TJournalContents c = ParseJournal(std::string_view(data).substr(0, cut));
    const std::string expected =
        cut == data.size() ? "ello world" : (cut >= afterInsert ? "hello world" : "hello");
    EXPECT_EQ(c.text, expected) << cut;
    const bool whole = cut == afterSnapshot || cut == afterInsert || cut == data.size();
    EXPECT_EQ(c.state, whole ? TJournalContents::State::Ok : TJournalContents::State::TornTail)
        << cut;
  }
  std::string damaged = data;
  damaged[afterInsert - 6] ^= 0x20;
  const TJournalContents c = ParseJournal(damaged);
  EXPECT_EQ(c.state, TJournalContents::State::TornTail);
  EXPECT_EQ(c.text, "hello");
}

TEST(Journal, BadInputIsReportedNotReplayed) {
  struct Case {
    std::string data;
    TJournalContents::State state;
  };
  std::string otherVersion(kJournalMagic);
  otherVersion += std::string("\x07\0\0\0", 4) + "future records";
  std::string noIdentity = JournalHeader() + EncodeRecord(TJournalRecord::Snapshot, 1, "x");
  std::string eraseOutside = JournalHeader() +
                             EncodeRecord(TJournalRecord::Identity, 1, EncodeIdentity({})) +
                             EncodeRecord(TJournalRecord::Erase, 1, EncodeErase(5, 10));
  const Case cases[] = {
      {"", TJournalContents::State::Unreadable},
      {"plain text file", TJournalContents::State::Unreadable},
      {otherVersion, TJournalContents::State::UnknownFormat},
      {noIdentity, TJournalContents::State::Unreadable},
      {eraseOutside, TJournalContents::State::TornTail},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseJournal(c.data).state, c.state) << c.data;
}

TEST(Journal, MissingOrEmptyFilesAreUnreadable) {
  test::TTempDir dir;
  std::ofstream(dir.File("empty.tvj")).flush();
  const TJournalContents missing = ReadJournal(dir.File("missing.tvj"));
  EXPECT_EQ(missing.state, TJournalContents::State::Unreadable);
  EXPECT_NE(missing.error.find("missing.tvj"), std::string::npos);
  EXPECT_EQ(ReadJournal(dir.File("empty.tvj")).state, TJournalContents::State::Unreadable);
}

TEST(JournalWriter, UnwritableFolderIsReportedOnceAndTheNextSnapshotRepairs) {
  test::TTempDir dir;
  const std::string folder = dir.File("locked");
  std::ofstream(folder) << "a file where the folder should be";
  TJournalWriter writer(folder, 5);
  writer.Snapshot(1, NamedIdentity(), "abc");
  writer.Insert(1, 3, "d");
  writer.Flush();
  EXPECT_TRUE(writer.Broken(1));
  EXPECT_NE(writer.TakeError().find("locked"), std::string::npos);
  EXPECT_TRUE(writer.TakeError().empty());
  ::unlink(folder.c_str());
  ::mkdir(folder.c_str(), 0700);
  writer.Snapshot(1, NamedIdentity(), "abcd");
  writer.Insert(1, 4, "e");
  writer.Flush();
  EXPECT_FALSE(writer.Broken(1));
  EXPECT_EQ(ReadJournal(writer.PathOf(1)).text, "abcde");
}

TEST(JournalWriter, FilesArePrivate) {
  test::TTempDir dir;
  TJournalWriter writer(dir.Path(), 5);
  writer.Snapshot(2, NamedIdentity(), "secret");
  writer.Flush();
  struct stat st {};
  ASSERT_EQ(::stat(writer.PathOf(2).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace tervil
