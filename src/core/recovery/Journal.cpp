#include "core/recovery/Journal.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/editcomponent/TextBuffer.h"

namespace tervil {

namespace {

constexpr std::size_t kRecordHead = 4 + 1 + 8;
constexpr std::size_t kRecordTail = 4;
// A record longer than this is taken as damage, not as a record to allocate for.
constexpr std::uint64_t kMaxRecord = std::uint64_t{1} << 40;

// Tables of the CRC-32 (IEEE) taken eight bytes at a time ("slicing by 8").
using TCrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

TCrcTables MakeCrcTables() {
  TCrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::uint32_t i = 0; i < 256; ++i) {
    for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
  return t;
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutString(std::string& out, std::string_view s) {
  PutU32(out, static_cast<std::uint32_t>(s.size()));
  out.append(s);
}

// Reads little-endian fields from a payload; any read past the end sets `failed`.
class TReader {
 public:
  explicit TReader(std::string_view data) : data_(data) {}
  std::uint64_t Uint(int bytes) {
    if (data_.size() - pos_ < static_cast<std::size_t>(bytes) || pos_ > data_.size()) {
      failed = true;
      return 0;
    }
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      v |= std::uint64_t{static_cast<unsigned char>(data_[pos_ + i])} << (8 * i);
    }
    pos_ += bytes;
    return v;
  }
  std::string_view String() {
    const std::uint64_t n = Uint(4);
    if (failed || data_.size() - pos_ < n) {
      failed = true;
      return {};
    }
    std::string_view s = data_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  std::string_view Rest() {
    std::string_view s = data_.substr(pos_);
    pos_ = data_.size();
    return s;
  }
  bool failed = false;

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

}  // namespace

std::uint32_t Crc32(std::string_view data, std::uint32_t crc) {
  static const TCrcTables t = MakeCrcTables();
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  std::size_t n = data.size();
  crc = ~crc;
  for (; n >= 8; p += 8, n -= 8) {
    const std::uint32_t lo = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                    std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; ++p, --n) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string JournalHeader() {
  std::string out(kJournalMagic);
  PutU32(out, kJournalVersion);
  return out;
}

std::string EncodeRecord(TJournalRecord kind, std::uint64_t timeMs, std::string_view payload) {
  std::string out;
  out.reserve(kRecordHead + payload.size() + kRecordTail);
  PutU32(out, static_cast<std::uint32_t>(payload.size()));
  out.push_back(static_cast<char>(kind));
  PutU64(out, timeMs);
  out.append(payload);
  PutU32(out, Crc32(payload, Crc32(std::string_view(out).substr(4, 9))));
  return out;
}

std::string EncodeIdentity(const TJournalIdentity& id) {
  std::string out;
  PutString(out, id.name);
  out.push_back(id.named ? 1 : 0);
  PutString(out, id.encoding);
  PutU32(out, static_cast<std::uint32_t>(id.lineBreakStyle));
  PutU64(out, id.lf);
  PutU64(out, id.crlf);
  PutU64(out, id.cr);
  PutU64(out, static_cast<std::uint64_t>(id.fileTime));
  PutU64(out, static_cast<std::uint64_t>(id.fileSize));
  PutU64(out, id.fileInode);
  return out;
}

bool DecodeIdentity(std::string_view payload, TJournalIdentity& id) {
  TReader r(payload);
  id.name = std::string(r.String());
  id.named = r.Uint(1) != 0;
  id.encoding = std::string(r.String());
  id.lineBreakStyle = static_cast<int>(r.Uint(4));
  id.lf = r.Uint(8);
  id.crlf = r.Uint(8);
  id.cr = r.Uint(8);
  id.fileTime = static_cast<std::int64_t>(r.Uint(8));
  id.fileSize = static_cast<std::int64_t>(r.Uint(8));
  id.fileInode = r.Uint(8);
  return !r.failed;
}

std::string EncodeInsert(std::uint64_t byte, std::string_view text) {
  std::string out;
  out.reserve(8 + text.size());
  PutU64(out, byte);
  out.append(text);
  return out;
}

std::string EncodeErase(std::uint64_t byte, std::uint64_t length) {
  std::string out;
  PutU64(out, byte);
  PutU64(out, length);
  return out;
}

TJournalContents ParseJournal(std::string_view data) {
  TJournalContents result;
  if (data.size() < kJournalMagic.size() + 4 ||
      data.substr(0, kJournalMagic.size()) != kJournalMagic) {
    result.state = TJournalContents::State::Unreadable;
    result.error = "not a journal";
    return result;
  }
  TReader header(data.substr(kJournalMagic.size(), 4));
  if (header.Uint(4) != kJournalVersion) {
    result.state = TJournalContents::State::UnknownFormat;
    result.error = "journal of another program version";
    return result;
  }
  TTextBuffer buffer;
  bool identified = false;
  std::size_t pos = kJournalMagic.size() + 4;
  result.state = TJournalContents::State::Ok;
  while (pos < data.size()) {
    TReader head(data.substr(pos, kRecordHead));
    const std::uint64_t length = head.Uint(4);
    const auto kind = static_cast<TJournalRecord>(head.Uint(1));
    const std::uint64_t time = head.Uint(8);
    if (head.failed || length > kMaxRecord ||
        data.size() - pos - kRecordHead < length + kRecordTail ||
        data.size() - pos < kRecordHead + kRecordTail) {
      result.state = TJournalContents::State::TornTail;
      break;
    }
    const std::string_view payload = data.substr(pos + kRecordHead, length);
    TReader tail(data.substr(pos + kRecordHead + length, kRecordTail));
    if (tail.Uint(4) != Crc32(payload, Crc32(data.substr(pos + 4, 9)))) {
      result.state = TJournalContents::State::TornTail;
      break;
    }
    pos += kRecordHead + length + kRecordTail;
    TReader r(payload);
    switch (kind) {
      case TJournalRecord::Identity:
        identified = DecodeIdentity(payload, result.identity);
        break;
      case TJournalRecord::Snapshot:
        buffer.Assign({});  // a snapshot replaces everything before it
        buffer.InsertNormalized(0, payload);
        result.hasText = true;
        result.edits = result.changeBytes = 0;
        break;
      case TJournalRecord::Insert: {
        const std::uint64_t byte = r.Uint(8);
        const std::string_view text = r.Rest();
        if (r.failed || byte > buffer.ByteCount()) {
          result.state = TJournalContents::State::TornTail;
          pos = data.size();
          break;
        }
        buffer.InsertNormalized(byte, text);
        ++result.edits;
        result.changeBytes += text.size();
        break;
      }
      case TJournalRecord::Erase: {
        const std::uint64_t byte = r.Uint(8);
        const std::uint64_t len = r.Uint(8);
        if (r.failed || byte > buffer.ByteCount() || len > buffer.ByteCount() - byte) {
          result.state = TJournalContents::State::TornTail;
          pos = data.size();
          break;
        }
        buffer.Erase(byte, len);
        ++result.edits;
        result.changeBytes += len;
        break;
      }
      default:
        break;  // a record kind this version does not know: skipped
    }
    if (time > result.lastEditMs) result.lastEditMs = time;
  }
  if (!identified) {
    result.state = TJournalContents::State::Unreadable;
    result.error = "the journal holds no page identity";
    return result;
  }
  result.text = buffer.Text("\n");
  return result;
}

// The file is mapped rather than read: no copy of a journal that may hold a 100 MB snapshot.
TJournalContents ReadJournal(const std::string& path) {
  TJournalContents result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    result.error = "cannot open " + path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return result;
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size == 0) {
    ::close(fd);
    return ParseJournal({});
  }
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (map == MAP_FAILED) {
    result.error = "cannot read " + path + ": " + std::strerror(errno);
    return result;
  }
  result = ParseJournal(std::string_view(static_cast<const char*>(map), size));
  ::munmap(map, size);
  return result;
}

}  // namespace tervil
