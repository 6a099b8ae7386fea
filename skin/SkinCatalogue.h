#pragma once

#include "platform/OrderedHashMap.h"

#include <QByteArray>
#include <QPixmap>
#include <functional>
#include <memory>
#include <span>
#include <string>

// The one cache of the skin bitmaps in "images/" of the program folder. Every window that asks for the same
// file name gets the same pixmap; the catalogue owns them all and windows only borrow them. Every file is read
// at start, so no page waits on the disk later and a file replaced while the client runs changes nothing; a
// bitmap is unpacked only when a window first asks for it, so memory holds the compact files and the pictures
// in use, not every picture at full size.
class SkinCatalogue {
public:
    // Told the file name whenever a requested bitmap cannot be loaded. The default shows the standard
    // warning box with "이미지가 없습니다.".
    using MissingReporter = std::function<void(const std::string& name)>;

    // programFolder is the folder of the running executable; a trailing '/' is added when missing. Every file
    // of SkinFiles() is loaded at once, in that order, silently.
    explicit SkinCatalogue(const std::string& programFolder, MissingReporter reportMissing = {});
    SkinCatalogue(const SkinCatalogue&) = delete;
    SkinCatalogue& operator=(const SkinCatalogue&) = delete;

    // Reads the file into the map, replacing what was there; a failure is stored as an empty entry.
    void PreloadImage(const std::string& name);

    // The cached bitmap. A missing or empty entry is loaded again; when that fails the user is told and the
    // answer is null. The pointer stays valid as long as the catalogue lives.
    const QPixmap* GetImage(const std::string& name);

    const std::string& ImagesFolder() const { return m_imagesFolder; }

    // The skin files loaded at start, in loading order.
    static std::span<const char* const> SkinFiles();

private:
    struct Entry {
        QByteArray file;                // the file as read, until it is unpacked
        std::unique_ptr<QPixmap> image; // once a window asked for it
    };

    QByteArray Read(const std::string& name) const;

    std::string m_imagesFolder;
    OrderedHashMap<Entry> m_images;
    MissingReporter m_reportMissing;
};
