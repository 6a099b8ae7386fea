#pragma once

#include <filesystem>
#include <string>

// A real folder under the system's temp folder, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }

    // Writes bytes to a file below the folder and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    // The bytes of a file below the folder; empty when it does not exist.
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path m_path;
};
