#include "core/explorer/FileOperations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace tervil::explorer {

namespace {

constexpr std::size_t kChunk = 1 << 20;

std::string Join(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}

std::string BaseName(const std::string& path) {
  fs::path p(path);
  if (!p.has_filename()) p = p.parent_path();
  return p.filename().string();
}

std::string ParentOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

bool Exists(const std::string& path, struct stat& info) {
  return lstat(path.c_str(), &info) == 0;
}

// A unique temporary name beside `target`, hidden, which a failed copy removes again.
std::string TemporaryBeside(const std::string& target) {
  return Join(ParentOf(target), "." + BaseName(target) + ".tvlpart-" + std::to_string(getpid()));
}

std::string ErrorText() {
  return std::strerror(errno);
}

void KeepTimes(const std::string& path, const struct stat& source, bool isLink) {
  const timespec times[2] = {source.st_atim, source.st_mtim};
  utimensat(AT_FDCWD, path.c_str(), times, isLink ? AT_SYMLINK_NOFOLLOW : 0);
}

}  // namespace

std::string FreeName(const std::string& folder, const std::string& name) {
  const auto dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  const std::string stem = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot) : "";
  struct stat info {};
  for (int n = 2;; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
    if (!Exists(Join(folder, candidate), info)) return candidate;
  }
}

bool IsInside(const std::string& inner, const std::string& outer) {
  std::error_code error;
  const fs::path in = fs::weakly_canonical(inner, error);
  const fs::path out = fs::weakly_canonical(outer, error);
  auto i = in.begin();
  for (auto o = out.begin(); o != out.end(); ++o, ++i) {
    if (o->empty()) continue;  // trailing separator
    if (i == in.end() || *i != *o) return false;
  }
  return true;
}

void TFileOperation::Fail(const std::string& path, const std::string& reason) {
  result_.Errors.push_back(path + ": " + reason);
}

bool TFileOperation::Report() {
  if (OnProgress) OnProgress(progress_);
  return !cancelled_;
}

void TFileOperation::Prepare(const std::vector<std::string>& sources) {
  result_ = {};
  progress_ = {};
  haveForAll_ = false;
  std::error_code error;
  for (const auto& source : sources) {
    if (fs::is_regular_file(fs::symlink_status(source, error))) {
      progress_.BytesTotal += fs::file_size(source, error);
      continue;
    }
    if (!fs::is_directory(fs::symlink_status(source, error))) continue;
    for (fs::recursive_directory_iterator
             it(source, fs::directory_options::skip_permission_denied, error),
         end;
         it != end; it.increment(error)) {
      if (it->is_regular_file(error) && !it->is_symlink(error))
        progress_.BytesTotal += it->file_size(error);
    }
  }
}

TFileOperation::TStep TFileOperation::ResolveTarget(std::string& target, bool sourceIsDir,
                                                    bool& merge) {
  merge = false;
  struct stat info {};
  if (!Exists(target, info)) return TStep::Done;
  const bool targetIsDir = S_ISDIR(info.st_mode);
  TConflictChoice choice = TConflictChoice::Skip;
  if (haveForAll_) {
    choice = forAll_;
  } else if (OnConflict) {
    const TConflictAnswer answer = OnConflict(target, targetIsDir);
    choice = answer.Choice;
    if (answer.ForAll) haveForAll_ = true, forAll_ = choice;
  }
  switch (choice) {
    case TConflictChoice::Skip:
      return TStep::Skipped;
    case TConflictChoice::Cancel:
      cancelled_ = true;
      return TStep::Cancelled;
    case TConflictChoice::Rename:
      target = Join(ParentOf(target), FreeName(ParentOf(target), BaseName(target)));
      return TStep::Done;
    case TConflictChoice::Overwrite:
      if (sourceIsDir != targetIsDir) {
        Fail(target, sourceIsDir ? "a file of that name exists" : "a folder of that name exists");
        return TStep::Failed;
      }
      merge = sourceIsDir;
      return TStep::Done;
  }
  return TStep::Done;
}

TFileOperation::TStep TFileOperation::CopyEntry(const std::string& source,
                                                const std::string& targetIn, bool topLevel) {
  if (cancelled_) return TStep::Cancelled;
  struct stat info {};
  if (!Exists(source, info)) {
    Fail(source, ErrorText());
    return TStep::Failed;
  }
  std::string target = targetIn;
  bool merge = false;
  if (topLevel && fs::path(source).lexically_normal() == fs::path(target).lexically_normal()) {
    target = Join(ParentOf(target), FreeName(ParentOf(target), BaseName(target)));  // a duplicate
  } else if (TStep step = ResolveTarget(target, S_ISDIR(info.st_mode), merge);
             step != TStep::Done) {
    return step;
  }
  if (S_ISDIR(info.st_mode)) return CopyFolder(source, target, merge);
  if (S_ISLNK(info.st_mode)) return CopyLink(source, target, info);
  if (!S_ISREG(info.st_mode)) {
    Fail(source, "not a regular file (device, pipe or socket): not copied");
    return TStep::Failed;
  }
  return CopyFile(source, target);
}

TFileOperation::TStep TFileOperation::CopyLink(const std::string& source, const std::string& target,
                                               const struct stat& info) {
  std::error_code error;
  const fs::path link = fs::read_symlink(source, error);
  const std::string temporary = TemporaryBeside(target);
  if (error || symlink(link.c_str(), temporary.c_str()) != 0 ||
      rename(temporary.c_str(), target.c_str()) != 0) {
    Fail(source, error ? error.message() : ErrorText());
    unlink(temporary.c_str());
    return TStep::Failed;
  }
  KeepTimes(target, info, true);
  if (arrived_) arrived_->push_back(source);
  return TStep::Done;
}

TFileOperation::TStep TFileOperation::CopyFolder(const std::string& source,
                                                 const std::string& target, bool merge) {
  if (IsInside(target, source)) {
    Fail(source, "a folder cannot be copied into itself");
    return TStep::Failed;
  }
  struct stat info {};
  stat(source.c_str(), &info);
  // A new folder stays private while it fills and takes the source's mode and times at the end,
  // also when the copy stops early; a folder merged into keeps its own.
  if (!merge && mkdir(target.c_str(), 0700) != 0) {
    Fail(target, ErrorText());
    return TStep::Failed;
  }
  std::error_code error;
  std::vector<std::string> names;
  for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  if (error) Fail(source, error.message());
  const std::size_t failures = result_.Errors.size();
  TStep step = TStep::Done;
  for (const auto& name : names) {
    if (CopyEntry(Join(source, name), Join(target, name), false) == TStep::Cancelled) {
      step = TStep::Cancelled;
      break;
    }
  }
  if (!merge) {
    chmod(target.c_str(), info.st_mode & 07777);
    KeepTimes(target, info, false);
  }
  if (step == TStep::Cancelled) return step;
  if (error || result_.Errors.size() != failures) return TStep::Failed;
  if (arrived_) arrived_->push_back(source);
  return TStep::Done;
}

TFileOperation::TStep TFileOperation::CopyFile(const std::string& source,
                                               const std::string& target) {
  progress_.Current = source;
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    Fail(source, ErrorText());
    return TStep::Failed;
  }
  struct stat before {};
  fstat(in, &before);
  const std::string temporary = TemporaryBeside(target);
  const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    Fail(target, ErrorText());
    close(in);
    return TStep::Failed;
  }
  std::vector<char> buffer(kChunk);
  std::string failure;
  TStep step = TStep::Done;
  for (;;) {
    const ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failure = source + ": " + ErrorText();
    if (got <= 0) break;
    for (ssize_t written = 0; written < got && failure.empty();) {
      const ssize_t put =
          write(out, buffer.data() + written, static_cast<std::size_t>(got - written));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0)
        failure = target + ": " + ErrorText();
      else
        written += put;
    }
    if (!failure.empty()) break;
    progress_.BytesDone += static_cast<std::uint64_t>(got);
    if (!Report()) {
      step = TStep::Cancelled;
      break;
    }
  }
  struct stat after {};
  fstat(in, &after);
  close(in);
  if (failure.empty() && step == TStep::Done &&
      (after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
       after.st_mtim.tv_nsec != before.st_mtim.tv_nsec))
    failure = source + ": the file changed while it was copied; the copy was discarded";
  if (failure.empty() && step == TStep::Done) {
    fchmod(out, before.st_mode & 07777);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    futimens(out, times);
  }
  if (close(out) != 0 && failure.empty()) failure = target + ": " + ErrorText();
  if (failure.empty() && step == TStep::Done && rename(temporary.c_str(), target.c_str()) != 0)
    failure = target + ": " + ErrorText();
  if (!failure.empty() || step != TStep::Done) {
    unlink(temporary.c_str());
    if (!failure.empty()) result_.Errors.push_back(failure);
    return failure.empty() ? step : TStep::Failed;
  }
  if (arrived_) arrived_->push_back(source);
  return TStep::Done;
}

bool TFileOperation::RemoveMoved(const std::vector<std::string>& arrived,
                                 const std::string& source) {
  // Files first, each folder after its contents: a folder goes only when nothing is left in it,
  // so whatever was skipped stays where it was, with the folders above it.
  for (const auto& path : arrived) {
    struct stat info {};
    if (!Exists(path, info)) continue;
    if (S_ISDIR(info.st_mode)) {
      if (rmdir(path.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST)
        Fail(path, ErrorText());
    } else if (unlink(path.c_str()) != 0) {
      Fail(path, ErrorText());
    }
  }
  struct stat info {};
  return !Exists(source, info);
}

bool TFileOperation::RemoveAll(const std::string& path) {
  std::error_code error;
  fs::remove_all(path, error);
  if (error) Fail(path, error.message());
  return !error;
}

TOperationResult TFileOperation::Copy(const std::vector<std::string>& sources,
                                      const std::string& targetFolder) {
  Prepare(sources);
  for (const auto& source : sources) {
    const TStep step = CopyEntry(source, Join(targetFolder, BaseName(source)), true);
    if (step == TStep::Done) ++result_.Done;
    if (step == TStep::Cancelled) break;
  }
  result_.Cancelled = cancelled_;
  return result_;
}

TOperationResult TFileOperation::Move(const std::vector<std::string>& sources,
                                      const std::string& targetFolder) {
  Prepare(sources);
  for (const auto& source : sources) {
    if (cancelled_) break;
    struct stat info {};
    if (!Exists(source, info)) {
      Fail(source, ErrorText());
      continue;
    }
    std::string target = Join(targetFolder, BaseName(source));
    if (fs::path(source).lexically_normal() == fs::path(target).lexically_normal()) continue;
    if (S_ISDIR(info.st_mode) && IsInside(target, source)) {
      Fail(source, "a folder cannot be moved into itself");
      continue;
    }
    bool merge = false;
    const TStep resolved = ResolveTarget(target, S_ISDIR(info.st_mode), merge);
    if (resolved == TStep::Cancelled) break;
    if (resolved != TStep::Done) continue;
    if (!merge && rename(source.c_str(), target.c_str()) == 0) {
      ++result_.Done;
      continue;
    }
    if (!merge && errno != EXDEV) {
      Fail(source, ErrorText());
      continue;
    }
    // Another file system, or a folder merged into an existing one: copy, then delete from the
    // source only what arrived, and only when nothing failed and the user did not cancel.
    const std::size_t failures = result_.Errors.size();
    std::vector<std::string> arrived;
    arrived_ = &arrived;
    TStep step = TStep::Done;
    if (S_ISDIR(info.st_mode))
      step = CopyFolder(source, target, merge);
    else if (S_ISLNK(info.st_mode))
      step = CopyLink(source, target, info);
    else if (S_ISREG(info.st_mode))
      step = CopyFile(source, target);
    else
      Fail(source, "not a regular file (device, pipe or socket): not moved");
    arrived_ = nullptr;
    if (step == TStep::Cancelled) break;
    if (step == TStep::Done && result_.Errors.size() == failures && RemoveMoved(arrived, source))
      ++result_.Done;
  }
  result_.Cancelled = cancelled_;
  return result_;
}

TOperationResult TFileOperation::Delete(const std::vector<std::string>& sources) {
  Prepare(sources);
  for (const auto& source : sources) {
    if (cancelled_) break;
    progress_.Current = source;
    if (!Report()) break;
    if (RemoveAll(source)) ++result_.Done;
  }
  result_.Cancelled = cancelled_;
  return result_;
}

}  // namespace tervil::explorer
