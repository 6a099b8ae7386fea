// Pictures of the live updater window for review: idle, in the middle of a download from the real update
// stand-in, and done.
//
//   halvren-updater-screens <output folder>

#include "skin/CXBalloonTip.h"
#include "skin/SkinResources.h"
#include "updater/UpdaterDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    const QString path = folder + QLatin1Char('/') + name;
    if (!widget.grab().save(path, "PNG")) {
        std::fprintf(stderr, "updater screens: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Runs the event loop until `done` holds or `ms` have passed.
template <typename Condition> bool WaitFor(Condition done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallSkinFonts();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    QTemporaryDir program;
    QFile served(program.filePath(QStringLiteral("served-Halvren")));
    if (!program.isValid() || !served.open(QIODevice::WriteOnly) || served.write(QByteArray(2 << 20, 'h')) < 0) {
        std::fprintf(stderr, "updater screens: cannot prepare a program folder\n");
        return 1;
    }
    served.close();
    QFile settings(program.filePath(QStringLiteral("EnvSet.ini")));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[DEFAULT]\r\nURL=127.0.0.1\r\n") < 0) {
        return 1;
    }
    settings.close();

    // The stand-in paces its blocks so that the middle of the download can be caught.
    QProcess standin;
    standin.start(QStringLiteral(HALVREN_UPDATE_STANDIN),
                  {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--file"),
                   served.fileName(), QStringLiteral("--name"), QStringLiteral("Halvren"),
                   QStringLiteral("--block-delay"), QStringLiteral("3")});
    int port = 0;
    const QRegularExpression serving(QStringLiteral("on 127\\.0\\.0\\.1:(\\d+)"));
    WaitFor(
        [&] {
            standin.waitForReadyRead(20);
            const QRegularExpressionMatch match = serving.match(QString::fromUtf8(standin.peek(4096)));
            port = match.hasMatch() ? match.captured(1).toInt() : 0;
            return port > 0 || standin.state() == QProcess::NotRunning;
        },
        5000);
    if (port <= 0) {
        std::fprintf(stderr, "updater screens: the update stand-in did not start\n");
        return 1;
    }

    UpdaterDialog::Options options;
    options.programFolder = QDir(program.path()).absolutePath().toStdString() + "/";
    options.lockFolder = options.programFolder;
    options.port = port;
    UpdaterDialog dialog(options);
    dialog.show();
    bool ok = WaitFor([&] { return dialog.isVisible(); }, 2000) && Save(dialog, output, "updater-idle.png");

    const QProgressBar* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progressDownload"));
    bool ended = false;
    QObject::connect(&dialog, &UpdaterDialog::TransferEnded, [&] { ended = true; });
    dialog.Download();
    ok =
        WaitFor([&] { return progress->value() * 5 >= progress->maximum() * 2 && progress->maximum() > 100; }, 20000) &&
        Save(dialog, output, "updater-downloading.png") && ok;
    ok = WaitFor([&] { return ended; }, 60000) && dialog.Success() && Save(dialog, output, "updater-done.png") && ok;
    // The finish button alone, with its tip saying that it puts the new version in place.
    auto* finish = dialog.findChild<QWidget*>(QStringLiteral("btnFinish"));
    dialog.ToolTip()->ShowFor(finish, finish->mapToGlobal(QPoint(20, 20)));
    ok = dialog.ToolTip()->GrabOver(&dialog).save(output + QStringLiteral("/updater-done-tip.png"), "PNG") && ok;

    standin.terminate();
    standin.waitForFinished(5000);
    if (!ok) {
        std::fprintf(stderr, "updater screens: the download did not go as expected\n");
    }
    return ok ? 0 : 1;
}
