#include "skin/SkinResources.h"
#include "updater/UpdaterApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("HalvrenUpdater");
    InstallSkinFonts();
    {
        UpdaterApp updater;
        updater.Run();
    }
    return 0;
}
