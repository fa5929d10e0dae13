#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "arc_error.h"
#include "korvalen/archiver_api.h"

namespace korvalen::archivers {
namespace {
constexpr size_t kOutBuffer = 1 << 18;
}

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string folderOf(const std::string& path) {
    size_t i = path.size();
    while (i > 0 && !isSeparator(path[i - 1])) --i;
    if (i == 0) return "./";
    return path.substr(0, i);
}

std::string baseName(const std::string& path) {
    size_t i = path.size();
    while (i > 0 && !isSeparator(path[i - 1])) --i;
    return path.substr(i);
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) fail(errno);
    buffer_.reserve(kOutBuffer);
}

OutputFile::OutputFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) { buffer_.reserve(kOutBuffer); }

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

void OutputFile::fail(int err) const {
    throw ArcError(writeErrorCode(err), systemMessage("ファイルを書き込めません " + path_, err));
}

void OutputFile::write(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (buffer_.size() + size > kOutBuffer) flush();
    if (size >= kOutBuffer) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(errno);
            }
            p += n;
            size -= static_cast<size_t>(n);
            written_ += static_cast<uint64_t>(n);
        }
        return;
    }
    buffer_.insert(buffer_.end(), p, p + size);
}

void OutputFile::flush() {
    size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    written_ += buffer_.size();
    buffer_.clear();
}

void OutputFile::patch(uint64_t at, const void* data, size_t size) {
    flush();
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        at += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
}

void OutputFile::truncate(uint64_t at) {
    flush();
    if (::ftruncate(fd_, static_cast<off_t>(at)) != 0) fail(errno);
    if (::lseek(fd_, static_cast<off_t>(at), SEEK_SET) < 0) fail(errno);
    written_ = at;
}

void OutputFile::close(bool sync) {
    if (fd_ < 0) return;
    flush();
    // A backup that vanishes with the next power cut is no backup.
    if (sync && ::fsync(fd_) != 0 && errno != EINVAL) fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(errno);
}

InputFile::InputFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        throw ArcError(readErrorCode(err), systemMessage("ファイルを開けません " + path, err));
    }
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

size_t InputFile::read(void* data, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno == EINTR) continue;
        const int err = errno;
        throw ArcError(readErrorCode(err), systemMessage("ファイルを読み込めません " + path_, err));
    }
}

void InputFile::rewind() {
    if (::lseek(fd_, 0, SEEK_SET) < 0) {
        const int err = errno;
        throw ArcError(ARC_ERR_FILE_OPEN, systemMessage("ファイルを読み込めません " + path_, err));
    }
}

StagedFile::StagedFile(const std::string& finalPath) : finalPath_(finalPath) {
    std::string pattern = folderOf(finalPath) + "." + baseName(finalPath) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        const int err = errno;
        throw ArcError(writeErrorCode(err), systemMessage("一時ファイルを作成できません " + pattern, err));
    }
    // mkstemp makes the file private; an archive or a restored table is an
    // ordinary file of the user's.
    ::fchmod(fd, 0644);
    tempPath_ = name.data();
    out_ = new OutputFile(tempPath_, fd);
}

StagedFile::~StagedFile() {
    delete out_;
    if (!done_) ::unlink(tempPath_.c_str());
}

void StagedFile::commit() {
    out_->close();
    if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
        const int err = errno;
        throw ArcError(writeErrorCode(err), systemMessage("ファイルを置き換えられません " + finalPath_, err));
    }
    done_ = true;
}

ScratchFolder::ScratchFolder(const std::string& parent) {
    std::string pattern = parent;
    if (pattern.empty() || !isSeparator(pattern.back())) pattern += '/';
    pattern += ".krv-work-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        const int err = errno;
        throw ArcError(writeErrorCode(err), systemMessage("作業フォルダを作成できません " + pattern, err));
    }
    path_ = std::string(name.data()) + "/";
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace korvalen::archivers
