#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

bool DynamicLibrary::Load(const std::string& path) {
    Unload();
    // Resolve everything now, so a library with missing dependencies fails here and not at its first call.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void* DynamicLibrary::Symbol(const std::string& name) const {
    if (m_handle == nullptr) {
        return nullptr;
    }
    return dlsym(m_handle, name.c_str());
}

void DynamicLibrary::Unload() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

} // namespace platform
