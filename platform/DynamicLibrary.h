#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time. Failure is a value: Load gives false, Symbol gives null.
// The library is unloaded when the object goes, so nothing found in it may outlive the object.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library file at the path, after unloading any library held before.
    bool Load(const std::string& path);
    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol; null when nothing is loaded or the library has no such export.
    void* Symbol(const std::string& name) const;
    void Unload();

private:
    void* m_handle = nullptr;
};

} // namespace platform
