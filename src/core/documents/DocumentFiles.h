#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/documents/DocumentText.h"
#include "core/documents/SafeWrite.h"
#include "core/text/Charsets.h"

namespace tervil {

// Files bigger than this ask before they are opened.
constexpr std::int64_t kLargeFileThreshold = 409600;

bool HasDirectoryPart(const std::string& path);
// Bytes of the file, or -1 when it cannot be opened for reading.
std::int64_t GetFileSize(const std::string& path);
// The file's modification time in nanoseconds since the epoch; 0 when the path has no folder
// part, names no file, or names a folder.
std::int64_t GetFileDate(const std::string& path);
// Whether the user may not write the file (its "read-only attribute", or a file of another user
// that the user may not write).
bool IsReadOnlyFile(const std::string& path);
// Moves a file to a new name, refusing (EEXIST) when a file of that name exists.
bool RenameWithoutReplacing(const std::string& from, const std::string& to, std::string* error);
bool SetReadOnlyFile(const std::string& path, bool readOnly, std::string* error);

// The encoding name a file starts decoding from: the configured default when the file's
// extension (with its dot, case as on disk) is listed in the encoding filter, else "-".
std::string InitialEncoding(const std::string& fileName, const std::string& encodingFilter,
                            const std::string& defaultEncoding);

// How a document's text becomes a file's bytes.
struct TWriteSettings {
  bool unixEol = true;
  bool autoDetectEol = true;
  bool tabsToSpaces = false;
  bool spacesToTabs = false;
  int tabWidth = 4;
};

// LF or CR LF for a file whose line-break style was `style` (0 none, 1 LF first, 2 CR first).
std::string LineTerminator(int style, const TWriteSettings& settings);
// The terminator a save writes for a file whose text held `breaks`: with "autodetecteol" the
// file's first kind of break (CR alone included), and a file read by the lossless fallback (its
// character set unknown) keeps its one kind of break whatever the settings; otherwise
// LineTerminator.
std::string FileTerminator(const TLineBreaks& breaks, bool decodedByFallback,
                           const TWriteSettings& settings);
// Converts the leading whitespace of one line as the settings ask; the rest of the line stays.
std::string ConvertLeadingWhitespace(std::string_view line, const TWriteSettings& settings);
// The text with every line break (CR LF, LF or CR) replaced by `terminator`.
std::string WithLineBreaks(std::string_view text, std::string_view terminator);

struct TEncodedDocument {
  std::string bytes;
  // Characters the encoding cannot hold; when not empty, `bytes` must not be written.
  std::vector<TUnwritableChar> unwritable;
};
// The bytes of a file for the editor's text (lines joined by CR LF, LF or CR). Every line is
// written, the last one without a terminator, so a document whose last line is empty ends with
// a line break, exactly as the file it was read from.
TEncodedDocument EncodeDocument(std::string_view text, int lineBreakStyle,
                                const std::string& encoding, const TWriteSettings& settings);
// The same for a text whose line breaks are already the file's terminator (taken from the
// editor with LineTerminator), without copying it when nothing is to convert. Lines found in
// `unchanged` (the lines as the file was read) keep their whitespace whatever the settings say.
TEncodedDocument EncodeDocumentText(std::string text, const std::string& encoding,
                                    const TWriteSettings& settings,
                                    const TOriginalLines* unchanged = nullptr);

}  // namespace tervil
