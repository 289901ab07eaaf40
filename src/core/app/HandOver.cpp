#include "core/app/HandOver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/common/Paths.h"

namespace tervil {

namespace {

constexpr size_t kMaxMessage = 1 << 20;

std::string Netstring(const std::string& payload) {
  return std::to_string(payload.size()) + ":" + payload + ",";
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool IsHandOverPath(const std::string& path) {
  return !path.empty() && path[0] == '/' && path.find('\0') == std::string::npos;
}

bool SocketPathFits(const std::string& socketPath) {
  return socketPath.size() < sizeof(sockaddr_un{}.sun_path);
}

std::string HandOverSocketPath() {
  return RuntimeDirectory() + "/tervil-editor.sock";
}

std::string EncodeHandOver(const std::vector<std::string>& paths) {
  std::string out;
  for (const auto& path : paths) out += Netstring("O" + path);
  return out + Netstring("R");
}

bool THandOverDecoder::Feed(std::string_view bytes) {
  if (broken_) return false;
  buffer_.append(bytes);
  size_t pos = 0;
  while (true) {
    size_t colon = buffer_.find(':', pos);
    if (colon == std::string::npos) {
      if (buffer_.size() - pos > 20) broken_ = true;
      break;
    }
    size_t length = 0;
    if (colon == pos) broken_ = true;
    for (size_t i = pos; i < colon && !broken_; ++i) {
      if (buffer_[i] < '0' || buffer_[i] > '9')
        broken_ = true;
      else
        length = length * 10 + static_cast<size_t>(buffer_[i] - '0');
      if (length > kMaxMessage) broken_ = true;
    }
    if (broken_) break;
    if (buffer_.size() < colon + 1 + length + 1) break;  // incomplete
    if (buffer_[colon + 1 + length] != ',' || length == 0) {
      broken_ = true;
      break;
    }
    std::string payload = buffer_.substr(colon + 1, length);
    if (payload[0] == 'O' && payload.size() > 1) {
      // Only absolute paths name a file: the sender made them absolute against its own folder.
      std::string path = payload.substr(1);
      if (IsHandOverPath(path)) messages_.push_back({THandOverMessage::Open, std::move(path)});
    } else if (payload == "R") {
      messages_.push_back({THandOverMessage::Raise, {}});
    } else {
      broken_ = true;
      break;
    }
    pos = colon + 1 + length + 1;
  }
  buffer_.erase(0, pos);
  return !broken_;
}

std::vector<THandOverMessage> THandOverDecoder::TakeMessages() {
  std::vector<THandOverMessage> out;
  out.swap(messages_);
  return out;
}

THandOverResult SendHandOver(const std::string& socketPath, const std::vector<std::string>& paths,
                             std::string* error, int answerTimeoutMs) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (!SocketPathFits(socketPath)) {
    if (error) *error = "Socket path too long: " + socketPath;
    return THandOverResult::Failed;
  }
  std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return THandOverResult::Failed;
  }
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    ::close(fd);
    if (err == ENOENT || err == ECONNREFUSED) return THandOverResult::NoEditorRunning;
    if (error) *error = std::strerror(err);
    return THandOverResult::Failed;
  }
  if (!WriteAll(fd, EncodeHandOver(paths))) {
    // The editor went away while it was being told.
    if (error) *error = std::strerror(errno);
    ::close(fd);
    return THandOverResult::EditorGone;
  }
  // The files are the editor's only once it says so; until then they are still ours.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(answerTimeoutMs);
  THandOverResult result = THandOverResult::NoAnswer;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char answer = 0;
    const ssize_t n = ::recv(fd, &answer, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && answer == 'K') {
      result = THandOverResult::Delivered;
    } else {
      if (error) *error = n < 0 ? std::strerror(errno) : "the editor closed the connection";
      result = THandOverResult::EditorGone;
    }
    break;
  }
  ::close(fd);
  return result;
}

TInstanceLock::TInstanceLock(const std::string& socketPath) {
  std::string lockPath = socketPath + ".lock";
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ >= 0) {
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

TInstanceLock::~TInstanceLock() {
  Release();
}

void TInstanceLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool PrepareSocketDirectory(const std::string& socketPath, std::string* error) {
  if (!SocketPathFits(socketPath)) {
    if (error) *error = "The socket path \"" + socketPath + "\" is too long for the system";
    return false;
  }
  std::string dir = ParentDirectory(socketPath);
  if (!EnsureDirectory(dir, 0700)) {
    if (error) *error = "Cannot create \"" + dir + "\": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) {
    if (error) *error = "Cannot use \"" + dir + "\": " + std::strerror(errno);
    return false;
  }
  if (st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
    if (error) *error = "The folder \"" + dir + "\" is not private to this user";
    return false;
  }
  return true;
}

}  // namespace tervil
