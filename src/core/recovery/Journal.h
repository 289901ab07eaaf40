#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tervil {

// The crash journal of one page: a file in the run's recovery folder that holds the page's
// identity, the page's text at some moment (a snapshot) and the primitive edits made after it.
//
// Layout: the 8-byte magic "TVLJRNL\n", a 4-byte little-endian format version, then records.
// Each record is: u32 payload length, u8 kind, u64 time of the edit (ms since the epoch), the
// payload, and a CRC-32 over kind, time and payload. A record cut short or failing its CRC ends
// the readable journal: everything before it is intact.
constexpr std::string_view kJournalMagic = "TVLJRNL\n";
constexpr std::uint32_t kJournalVersion = 1;

enum class TJournalRecord : std::uint8_t {
  Identity = 1,  // the page's identity (always the first record)
  Snapshot = 2,  // the whole text (UTF-8, LF breaks)
  Insert = 3,    // u64 byte, then the text inserted there
  Erase = 4,     // u64 byte, u64 length
};

// Who the journal belongs to: the page's name and how its file was read.
struct TJournalIdentity {
  std::string name;      // the file's full path, or "Unnamed n"
  bool named = false;    // whether `name` is a file path
  std::string encoding;  // the page's character set
  int lineBreakStyle = 0;
  std::uint64_t lf = 0, crlf = 0, cr = 0;  // the breaks the file held when it was read
  std::int64_t fileTime = 0;               // the file's modification time (ns) when read
  std::int64_t fileSize = -1;              // the file's size when read; -1 when there is none
  std::uint64_t fileInode = 0;
};

std::uint32_t Crc32(std::string_view data, std::uint32_t crc = 0);

// Encoding of the pieces of a journal file.
std::string JournalHeader();
std::string EncodeRecord(TJournalRecord kind, std::uint64_t timeMs, std::string_view payload);
std::string EncodeIdentity(const TJournalIdentity& identity);
bool DecodeIdentity(std::string_view payload, TJournalIdentity& identity);
std::string EncodeInsert(std::uint64_t byte, std::string_view text);
std::string EncodeErase(std::uint64_t byte, std::uint64_t length);

// What a journal file holds, replayed.
struct TJournalContents {
  enum class State {
    Ok,             // read to its end
    TornTail,       // the end was cut off or damaged; what came before it is recovered
    UnknownFormat,  // written by another version of the program: left alone
    Unreadable,     // cannot be opened or holds no identity
  };
  State state = State::Unreadable;
  TJournalIdentity identity;
  std::string text;  // UTF-8 with LF breaks
  bool hasText = false;
  std::uint64_t lastEditMs = 0;
  std::uint64_t edits = 0;        // edit records after the last snapshot
  std::uint64_t changeBytes = 0;  // bytes those edits inserted or removed
  std::string error;
};

// Reads and replays the journal at `path`.
TJournalContents ReadJournal(const std::string& path);
// Replays journal bytes already in memory.
TJournalContents ParseJournal(std::string_view data);

}  // namespace tervil
