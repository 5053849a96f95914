// A fresh directory for one test, with helpers to stage and read files.
#ifndef VANTREL_TESTS_UNIT_SCRATCH_H_
#define VANTREL_TESTS_UNIT_SCRATCH_H_

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory() {
        std::random_device random;
        root = std::filesystem::temp_directory_path() /
               ("vantrel-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(root);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(root, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory with its trailing separator.
    std::string directory() const {
        return root.string() + static_cast<char>(std::filesystem::path::preferred_separator);
    }
    std::string path(const std::string& name) const { return directory() + name; }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

    static std::string read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root;
};

#endif  // VANTREL_TESTS_UNIT_SCRATCH_H_
