#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// The channel between a second start of the program and the editor that already runs: a
// per-user Unix-domain socket. The second start sends every path it was given, in order, then
// asks the editor to come to the front and waits until the editor reports the files opened. An
// editor that dies, closes or does not answer meanwhile has not taken them: the second start
// then opens them itself, so that no file handed over is lost.
//
// On the wire each message is a netstring "<length>:<payload>,"; a payload starting with "O"
// names a file to open (the rest is the absolute path), "R" asks for the window to be raised
// and ends the request. The editor answers "K" once it has opened every file of the request,
// or once a question of it is open (the files open when the user has answered).

std::string HandOverSocketPath();

// How long a second start waits for the running editor's report. Opening a large file or a
// slow start of the editor takes seconds; an editor silent for longer is taken as hung.
constexpr int kHandOverAnswerMs = 15000;

// Whether a handed-over path can name a file: absolute, without a zero byte.
bool IsHandOverPath(const std::string& path);
// Whether the system can bind a Unix-domain socket at this path (its length is limited).
bool SocketPathFits(const std::string& socketPath);

struct THandOverMessage {
  enum Kind { Open, Raise } kind;
  std::string path;  // for Open
  int sender = 0;    // which request it belongs to (set by the receiving editor)
};

std::string EncodeHandOver(const std::vector<std::string>& paths);

// Collects bytes as they arrive and hands out complete messages. Open messages whose path is
// not absolute are dropped.
class THandOverDecoder {
 public:
  // Returns false once the stream is malformed; the connection should then be dropped.
  bool Feed(std::string_view bytes);
  std::vector<THandOverMessage> TakeMessages();

 private:
  std::string buffer_;
  std::vector<THandOverMessage> messages_;
  bool broken_ = false;
};

enum class THandOverResult {
  NoEditorRunning,  // nobody listens: this start becomes the editor
  Delivered,        // the editor reported the files opened
  EditorGone,       // the editor ended or closed the connection before it reported them
  NoAnswer,         // the editor lives but did not report them in time
  Failed,           // the channel cannot be used (`error` says why)
};

// Sends `paths` (already absolute) to a running editor and waits at most `answerTimeoutMs` for
// its report that they are open. `error` receives the system's text on failure.
THandOverResult SendHandOver(const std::string& socketPath, const std::vector<std::string>& paths,
                             std::string* error, int answerTimeoutMs = kHandOverAnswerMs);

// Serialises the decision "become the editor or hand over" between processes that start at
// the same moment: held from before the hand-over attempt until the editor listens.
class TInstanceLock {
 public:
  explicit TInstanceLock(const std::string& socketPath);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;
  void Release();

 private:
  int fd_ = -1;
};

// Makes sure the socket's folder exists and only this user can enter it. Returns false (with
// the reason) when it belongs to someone else or is open to others, or when the socket's path is
// too long for the system: the editor then runs without the hand-over.
bool PrepareSocketDirectory(const std::string& socketPath, std::string* error);

}  // namespace tervil
