#include "skin/SkinResources.h"
#include "updater/UpdaterApp.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // For scripts that wait for the updater, or for the client it starts again: where the two locks live.
    if (argc == 2 && std::strcmp(argv[1], "--print-locks") == 0) {
        for (const char* name : {UpdaterApp::kMutexName, UpdaterDialog::kClientMutexName}) {
            std::printf("%s=%s\n", name, platform::NamedMutex(name).Path().c_str());
        }
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("HalvrenUpdater");
    InstallSkinFonts();
    {
        UpdaterApp updater;
        updater.Run();
    }
    return 0;
}
