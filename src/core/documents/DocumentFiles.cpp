#include "core/documents/DocumentFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/text/TextProcessor.h"

namespace tervil {

namespace {

bool SetError(std::string* error, int err) {
  if (error) *error = std::strerror(err);
  return false;
}

std::string ExtensionOf(const std::string& fileName) {
  std::string name = FileNameOf(fileName);
  auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

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
  return GetFileStamp(path).time;
}

// Whether this user may not write the file: its owner's write bit is off, or it belongs to
// someone else who did not let the user write it.
bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return !(st.st_mode & S_IWUSR) || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to, std::string* error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return SetError(error, errno);
  // A file system that cannot refuse by itself: a link fails on an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return SetError(error, errno);
  ::unlink(from.c_str());
  return true;
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

std::string FileTerminator(const TLineBreaks& breaks, bool decodedByFallback,
                           const TWriteSettings& settings) {
  // A file keeps its kind of break, CR alone included; new lines of a file with mixed breaks
  // take its first kind.
  if (breaks.Kinds() > 0 && (settings.autoDetectEol || (decodedByFallback && breaks.Kinds() == 1)))
    return breaks.FirstBreak();
  return LineTerminator(breaks.firstStyle, settings);
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
                                    const TWriteSettings& settings,
                                    const TOriginalLines* unchanged) {
  if (ConvertsWhitespace(settings)) {
    // Copy the text in long runs; only lines that start with whitespace are rebuilt.
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t copied = 0;
    for (std::size_t lineStart = 0; lineStart < text.size();) {
      std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
      if (lineEnd == std::string::npos) lineEnd = text.size();
      const std::string_view line = std::string_view(text).substr(lineStart, lineEnd - lineStart);
      if (!line.empty() && (line[0] == ' ' || line[0] == '\t') &&
          !(unchanged && unchanged->Contains(line))) {
        const std::size_t lead = std::min(line.find_first_not_of(" \t"), line.size());
        out.append(text, copied, lineStart - copied);
        AppendConvertedLead(line.substr(0, lead), settings, out);
        copied = lineStart + lead;
      }
      if (lineEnd == text.size()) break;
      lineStart = lineEnd + (text.compare(lineEnd, 2, "\r\n") == 0 ? 2 : 1);
    }
    out.append(text, copied, std::string::npos);
    text = std::move(out);
  }
  // The line ends are in place before the conversion, so that character sets whose line
  // breaks are not ASCII bytes still get theirs.
  const TCharsetInfo* charset = FindCharsetByName(encoding);
  if (charset && (charset->codePage == kSystemCodePage || charset->codePage == kUtf8CodePage))
    return {std::move(text), {}};
  TCharsetConversion converted = TTextProcessor::ConvertToCharset(text, kSystemCodePage, encoding);
  return {std::move(converted.text), std::move(converted.unwritable)};
}

TEncodedDocument EncodeDocument(std::string_view text, int lineBreakStyle,
                                const std::string& encoding, const TWriteSettings& settings) {
  return EncodeDocumentText(WithLineBreaks(text, LineTerminator(lineBreakStyle, settings)),
                            encoding, settings);
}

}  // namespace tervil
