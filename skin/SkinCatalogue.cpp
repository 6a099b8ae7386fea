#include "skin/SkinCatalogue.h"

#include "skin/SkinBitmaps.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>

namespace {

void ShowMissingImage(const std::string&) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), QStringLiteral("이미지가 없습니다."),
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

SkinCatalogue::SkinCatalogue(const std::string& programFolder, MissingReporter reportMissing)
    : m_imagesFolder(programFolder), m_reportMissing(std::move(reportMissing)) {
    if (!m_imagesFolder.empty() && m_imagesFolder.back() != '/') {
        m_imagesFolder += '/';
    }
    m_imagesFolder += "images/";
    if (!m_reportMissing) {
        m_reportMissing = ShowMissingImage;
    }
    for (const char* name : kSkinFiles) {
        PreloadImage(name);
    }
}

std::span<const char* const> SkinCatalogue::SkinFiles() {
    return kSkinFiles;
}

QByteArray SkinCatalogue::Read(const std::string& name) const {
    QFile file(QFile::decodeName(QByteArray::fromStdString(m_imagesFolder + name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SkinCatalogue::PreloadImage(const std::string& name) {
    m_images.Insert(name, Entry{Read(name), nullptr});
}

const QPixmap* SkinCatalogue::GetImage(const std::string& name) {
    Entry* entry = m_images.Find(name);
    if (entry && !entry->image && !entry->file.isEmpty()) {
        auto image = std::make_unique<QPixmap>();
        if (image->loadFromData(entry->file, "BMP")) {
            entry->image = std::move(image);
        }
        entry->file = QByteArray();
    }
    if (entry && entry->image) {
        return entry->image.get();
    }
    // A file that failed before is tried again on every request, and reported every time it is still missing.
    m_images.Remove(name);
    Entry fresh{Read(name), std::make_unique<QPixmap>()};
    if (fresh.file.isEmpty() || !fresh.image->loadFromData(fresh.file, "BMP")) {
        fresh.image.reset();
    }
    fresh.file = QByteArray();
    const QPixmap* result = fresh.image.get();
    m_images.Insert(name, std::move(fresh));
    if (!result) {
        m_reportMissing(name);
    }
    return result;
}
