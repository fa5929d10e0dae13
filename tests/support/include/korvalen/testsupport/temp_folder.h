// A fresh folder under the system's temporary folder, removed with everything
// in it when the test is done; shared by the test areas.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace korvalen::testsupport {

class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "korvalen") {
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = std::filesystem::temp_directory_path() /
                             (tag + "-" + std::to_string(entropy()) + std::to_string(entropy()));
            std::error_code ec;
            // create_directory is false for a folder that already exists: never share one.
            if (std::filesystem::create_directory(candidate, ec)) {
                path_ = std::move(candidate);
                return;
            }
        }
        throw std::runtime_error("no temporary folder could be made for " + tag);
    }
    ~TempFolder() {
        std::error_code ec;
        // Extracted or protected files may be read-only; the folder must go all the same.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside the folder, as text.
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }
    // The folder, or a folder inside it, as text ending in a separator.
    std::string folder(const std::string& sub = {}) const {
        std::string text = (sub.empty() ? path_ : path_ / sub).string();
        const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
        return !text.empty() && text.back() == separator ? text : text + separator;
    }

private:
    std::filesystem::path path_;
};

}  // namespace korvalen::testsupport
