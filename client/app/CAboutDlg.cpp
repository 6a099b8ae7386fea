#include "client/app/CAboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const QString& version, QWidget* parent) : QDialog(parent) {
    setObjectName("CAboutDlg");
    setWindowTitle(QStringLiteral("Halvren 정보"));
    setAccessibleName(windowTitle());

    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    icon->setAccessibleName(QStringLiteral("Halvren 아이콘"));
    icon->setPixmap(QPixmap(QStringLiteral(":/res/icon.png")));
    auto* versionLine = new QLabel(QStringLiteral("Halvren Version ") + version, this);
    versionLine->setObjectName("aboutVersion");
    versionLine->setAccessibleName(versionLine->text());
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("aboutOk");
    ok->setAccessibleName(ok->text());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(versionLine, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(ok, 0, Qt::AlignRight);
}
