#include "client/app/ClientApp.h"
#include "skin/SkinResources.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Halvren");
    InstallSkinFonts();
    {
        ClientApp client;
        client.Run();
    }
    return 0;
}
