#pragma once

#include "client/env/Environment.h"
#include "support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A program folder in a temp dir with the real cipher library in it, and an Environment started there that
// records the platform message boxes it shows.
class EnvFolder : public TempDir {
public:
    explicit EnvFolder(bool withCipher = true) {
        if (withCipher) {
            std::filesystem::copy_file(HALVREN_KAVREL_PATH, Path() / CipherLibrary::kFileName);
        }
    }

    std::unique_ptr<Environment> Start() {
        return std::make_unique<Environment>(
            Str(), PlatformNotifier([this](const std::string& text, const std::string& caption) {
                boxes.emplace_back(text, caption);
            }));
    }

    std::vector<std::pair<std::string, std::string>> boxes;
};
