#pragma once
// A folder of its own under the system's temporary folder, with an ASCII name, removed with
// everything in it. Its paths are in the system's own string type: narrow on Linux, wide on
// Windows.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace RawLayer::Testing {

class TemporaryFolder {
  public:
    using Path = std::filesystem::path::string_type;

    TemporaryFolder() : path(Create()) {}
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // A file of the folder (or of a folder in it) holding the content; its path.
    Path File(const Path& name, const std::string& content = "") const {
        Path file = Inside(name);
        std::ofstream(std::filesystem::path(file), std::ios::binary) << content;
        return file;
    }
    Path Folder(const Path& name) const {
        Path folder = Inside(name);
        std::filesystem::create_directory(folder);
        return folder;
    }
    // The folder's path as narrow bytes; it is ASCII.
    std::string Narrow() const { return std::string(path.begin(), path.end()); }

    const Path path;

  private:
    // A name nobody else holds: creating the folder is what claims it.
    static Path Create() {
        std::filesystem::path temporary = std::filesystem::temp_directory_path();
        std::random_device random;
        for (;;) {
            std::filesystem::path candidate = temporary / ("velmoran-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                return candidate.native();
            }
        }
    }
    Path Inside(const Path& name) const { return (std::filesystem::path(path) / name).native(); }
};

}  // namespace RawLayer::Testing
