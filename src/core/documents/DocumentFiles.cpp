#include "core/documents/DocumentFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/html/TextProcessor.h"

namespace tervil {

namespace {

TWriteFunction& WriteFunction() {
  static TWriteFunction write;
  return write;
}

long WriteSome(int fd, const char* data, std::size_t size) {
  if (WriteFunction()) return WriteFunction()(fd, data, size);
  return static_cast<long>(::write(fd, data, size));
}

bool SetError(std::string* error, int err) {
  if (error) *error = std::strerror(err);
  return false;
}

bool WriteAll(int fd, std::string_view bytes, int& err) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    long n = WriteSome(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ExtensionOf(const std::string& fileName) {
  std::string name = FileNameOf(fileName);
  auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The file a path finally names: a symbolic link is followed to its target.
std::string ResolveTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved)) return resolved;
  return path;
}

bool WriteInPlace(const std::string& target, std::string_view bytes, std::string* error) {
  std::string backup;
  std::string backupDir = TempDirectory() + "/../backup";
  EnsureDirectory(backupDir, 0700);
  backup = backupDir + "/" + FileNameOf(target) + "." + std::to_string(::getpid());
  std::string old;
  if (!ReadFileBytes(target, old, nullptr)) return SetError(error, errno ? errno : EIO);
  if (!SafeWriteFile(backup, old, error)) return false;
  int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return SetError(error, errno);
  int err = 0;
  bool ok = WriteAll(fd, bytes, err) && (::fsync(fd) == 0 || ((err = errno), false));
  ::close(fd);
  if (!ok) {
    // Put the old content back so that the document's file is never left half written.
    int restore = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int ignored = 0;
    if (restore >= 0) {
      WriteAll(restore, old, ignored);
      ::fsync(restore);
      ::close(restore);
    }
    return SetError(error, err);
  }
  ::unlink(backup.c_str());
  return true;
}

}  // namespace

void SetWriteFunctionForTests(TWriteFunction write) {
  WriteFunction() = std::move(write);
}

bool HasDirectoryPart(const std::string& path) {
  return path.find('/') != std::string::npos;
}

std::int64_t GetFileSize(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  std::int64_t size = ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
  ::close(fd);
  return size;
}

std::int64_t GetFileDate(const std::string& path) {
  if (!HasDirectoryPart(path)) return 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

bool IsChangedOutside(std::int64_t pageDate, std::int64_t fileDate) {
  return pageDate > 0 && fileDate > pageDate + kOutsideChangeToleranceNs;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
}

bool SetReadOnlyFile(const std::string& path, bool readOnly, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return SetError(error, errno);
  mode_t mode = readOnly ? (st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (st.st_mode | S_IWUSR);
  if (::chmod(path.c_str(), mode & 07777) != 0) return SetError(error, errno);
  return true;
}

std::string InitialEncoding(const std::string& fileName, const std::string& encodingFilter,
                            const std::string& defaultEncoding) {
  const std::string ext = ExtensionOf(fileName);
  if (encodingFilter.find(ext + ";") != std::string::npos) return defaultEncoding;
  auto first = encodingFilter.find(ext);
  if (!ext.empty() && first != std::string::npos && first + ext.size() == encodingFilter.size())
    return defaultEncoding;
  return "-";
}

std::string LineTerminator(int style, const TWriteSettings& settings) {
  if (settings.autoDetectEol && style == 1) return "\n";
  if (settings.autoDetectEol && style == 2) return "\r\n";
  return settings.unixEol ? "\n" : "\r\n";
}

namespace {

// The converted form of a line's leading whitespace `lead` (blanks and tabs only).
void AppendConvertedLead(std::string_view lead, const TWriteSettings& settings, std::string& out) {
  const std::size_t w = static_cast<std::size_t>(std::max(settings.tabWidth, 1));
  if (settings.spacesToTabs) {
    // Runs of w blanks become tabs, as many as the lead has blanks / w. Only the leading
    // whitespace is touched: blanks later in the line (inside a string, say) stay as they are.
    std::size_t blanks = static_cast<std::size_t>(std::count(lead.begin(), lead.end(), ' '));
    std::size_t left = blanks / w;
    const std::string run(w, ' ');
    std::size_t pos = 0;
    while (left > 0) {
      std::size_t found = lead.find(run, pos);
      if (found == std::string_view::npos) break;
      out.append(lead.substr(pos, found - pos)).push_back('\t');
      pos = found + w;
      --left;
    }
    out.append(lead.substr(pos));
  } else if (settings.tabsToSpaces) {
    for (char c : lead) {
      if (c == '\t')
        out.append(w, ' ');
      else
        out.push_back(c);
    }
  } else {
    out.append(lead);
  }
}

bool ConvertsWhitespace(const TWriteSettings& s) {
  return s.spacesToTabs || s.tabsToSpaces;
}

}  // namespace

std::string ConvertLeadingWhitespace(std::string_view line, const TWriteSettings& settings) {
  const std::size_t lead = line.find_first_not_of(" \t");
  const std::size_t leadEnd = lead == std::string_view::npos ? line.size() : lead;
  std::string out;
  out.reserve(line.size() + 16);
  AppendConvertedLead(line.substr(0, leadEnd), settings, out);
  out.append(line.substr(leadEnd));
  return out;
}

std::string WithLineBreaks(std::string_view text, std::string_view terminator) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) break;
    out.append(text.substr(start, end - start)).append(terminator);
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  out.append(text.substr(start));
  return out;
}

TEncodedDocument EncodeDocumentText(std::string text, const std::string& encoding,
                                    const TWriteSettings& settings) {
  if (ConvertsWhitespace(settings)) {
    // Copy the text in long runs; only lines that start with whitespace are rebuilt.
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t copied = 0;
    for (std::size_t lineStart = 0; lineStart < text.size();) {
      const char first = text[lineStart];
      if (first == ' ' || first == '\t') {
        std::size_t leadEnd = text.find_first_not_of(" \t", lineStart);
        if (leadEnd == std::string::npos) leadEnd = text.size();
        out.append(text, copied, lineStart - copied);
        AppendConvertedLead(std::string_view(text).substr(lineStart, leadEnd - lineStart), settings,
                            out);
        copied = leadEnd;
      }
      const std::size_t newline = text.find('\n', lineStart);
      if (newline == std::string::npos) break;
      lineStart = newline + 1;
    }
    out.append(text, copied, std::string::npos);
    text = std::move(out);
  }
  // The line ends are in place before the conversion, so that character sets whose line
  // breaks are not ASCII bytes still get theirs.
  const TCharsetInfo* charset = FindCharsetByName(encoding);
  if (!charset || charset->codePage == kSystemCodePage || charset->codePage == kUtf8CodePage)
    return {std::move(text), {}};
  TCharsetConversion converted = TTextProcessor::ConvertToCharset(text, kSystemCodePage, encoding);
  return {std::move(converted.text), std::move(converted.unwritable)};
}

TEncodedDocument EncodeDocument(std::string_view text, int lineBreakStyle,
                                const std::string& encoding, const TWriteSettings& settings) {
  return EncodeDocumentText(WithLineBreaks(text, LineTerminator(lineBreakStyle, settings)),
                            encoding, settings);
}

bool SafeWriteFile(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string target = ResolveTarget(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return SetError(error, EISDIR);
  if (exists && st.st_nlink > 1) return WriteInPlace(target, bytes, error);

  const std::string dir = ParentDirectory(target);
  std::string tmp = dir + "/." + FileNameOf(target) + ".tervil-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    int err = errno;
    if (exists && (err == EACCES || err == EPERM)) return WriteInPlace(target, bytes, error);
    return SetError(error, err);
  }
  int err = 0;
  bool ok = WriteAll(fd, bytes, err);
  if (ok && exists) {
    ::fchmod(fd, st.st_mode & 07777);
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Only the owner may give a file away; keeping the group alone is still worth trying.
      [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
  } else if (ok) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (ok && ::fsync(fd) != 0) ok = (err = errno, false);
  if (::close(fd) != 0 && ok) ok = (err = errno, false);
  if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) ok = (err = errno, false);
  if (!ok) {
    ::unlink(tmp.c_str());
    return SetError(error, err);
  }
  SyncDirectory(dir);
  return true;
}

bool BackupFile(const std::string& path, const std::string& backup, std::string* error) {
  // A copy, not a hard link: the document's own file must stay a file with a single link so
  // that the save after the backup replaces it instead of writing through to the backup.
  std::string bytes;
  if (!ReadFileBytes(path, bytes, nullptr)) return SetError(error, errno ? errno : EIO);
  return SafeWriteFile(backup, bytes, error);
}

}  // namespace tervil
