#include "support/ProgramFolder.h"

#include <filesystem>

namespace fs = std::filesystem;

void LayOutProgramFolder(const TempDir& dir, const std::string& serverHost, const std::string& installedVersion,
                         bool withCipherLibrary) {
    const fs::path dist = fs::path(HALVREN_KAVREL_PATH).parent_path();
    if (withCipherLibrary) {
        fs::create_symlink(HALVREN_KAVREL_PATH, dir.Path() / "libKavrel.so");
    }
    fs::create_directory_symlink(dist / "images", dir.Path() / "images");
    fs::copy_file(dist / "TxtRes.rsc", dir.Path() / "TxtRes.rsc");
    dir.Write("EnvSet.ini", "[DEFAULT]\r\nCURRENT_VERSION=" + installedVersion + "\r\nURL=" + serverHost + "\r\n");
}
