// Plain file access for the archivers: buffered output that can patch what
// it wrote earlier (archive headers carry sizes known only afterwards),
// input in chunks, and files that appear under their final name only when
// complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvalen::archivers {

class OutputFile {
public:
    // Creates a new file; fails when it exists.
    explicit OutputFile(std::string path);
    // Takes over a descriptor already open for writing.
    OutputFile(std::string path, int fd);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const void* data, size_t size);
    uint64_t offset() const { return written_ + buffer_.size(); }
    // Overwrites bytes already written at the given offset.
    void patch(uint64_t at, const void* data, size_t size);
    // Drops everything from the given offset on.
    void truncate(uint64_t at);
    // Flushes and closes; with sync, waits until the data is on the disk.
    void close(bool sync = true);
    const std::string& path() const { return path_; }

private:
    void flush();
    [[noreturn]] void fail(int err) const;
    std::string path_;
    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    uint64_t written_ = 0;
};

class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to size bytes; 0 at the end.
    size_t read(void* data, size_t size);
    void rewind();

private:
    std::string path_;
    int fd_ = -1;
};

// A file written under a temporary name in the folder of its final path.
// commit() renames it over the final path; otherwise it is removed.
class StagedFile {
public:
    explicit StagedFile(const std::string& finalPath);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    OutputFile& out() { return *out_; }
    const std::string& tempPath() const { return tempPath_; }
    void commit();

private:
    std::string finalPath_;
    std::string tempPath_;
    OutputFile* out_ = nullptr;
    bool done_ = false;
};

// A fresh, empty folder with a unique name under the given parent, removed
// with all it holds when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }  // ends in "/"

private:
    std::string path_;
};

// The folder part of a path, ending in "/" ("./" for a bare name).
std::string folderOf(const std::string& path);
// The last component of a path.
std::string baseName(const std::string& path);
bool isSeparator(char c);

}  // namespace korvalen::archivers
