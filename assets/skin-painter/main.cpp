// Paints every skin bitmap of the program folder and the bitmaps built into the client and the updater.
// Same font file, same code: same bytes. Magenta (255, 0, 255) marks where a button lets its window show.
//
//   halvren-skin-painter <images folder> <client resource folder> <updater resource folder>

#include "skin/SkinBitmaps.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QColor kMagenta(255, 0, 255);
const QColor kLightBlue(222, 239, 255);
const QColor kPale(239, 247, 247);
const QColor kPanel(224, 240, 246);
const QColor kCaption(31, 91, 142);
const QColor kLine(181, 206, 222);
const QColor kFrame(179, 203, 219);
const QColor kWhite(255, 255, 255);
const QColor kSelectedText(255, 255, 243);
const QColor kHover(52, 122, 182);
const QColor kAlert(190, 58, 48);
const QColor kAlertHover(214, 82, 66);
const QColor kInk(40, 52, 64);

// The application font is our NanumGothic (set in main), so every label uses the same font file.
QFont Font(int pixelSize, bool bold) {
    QFont f = QGuiApplication::font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage Canvas(int w, int h, const QColor& fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void Fail(const QString& path, const char* why) {
    // A skin with a hole in it must not pass for a finished build.
    std::fprintf(stderr, "skin painter: %s %s\n", why, qPrintable(path));
    std::exit(1);
}

void PutLe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// One row of palette indices in 8-bit run-length form: repeated pixels as (count, index), other stretches as
// absolute runs (0, count, indices, padded to an even length), closed by the end-of-line mark.
void EncodeRow(const std::vector<std::uint8_t>& row, QByteArray& out) {
    const std::size_t n = row.size();
    std::size_t i = 0;
    auto runAt = [&](std::size_t at) {
        std::size_t r = 1;
        while (at + r < n && r < 255 && row[at + r] == row[at]) {
            ++r;
        }
        return r;
    };
    while (i < n) {
        const std::size_t run = runAt(i);
        if (run >= 3 || n - i < 3) {
            out.append(static_cast<char>(run));
            out.append(static_cast<char>(row[i]));
            i += run;
            continue;
        }
        std::size_t end = i;
        while (end < n && end - i < 255 && runAt(end) < 3) {
            ++end;
        }
        const std::size_t count = end - i;
        if (count < 3) {
            for (; i < end; ++i) {
                out.append('\x01');
                out.append(static_cast<char>(row[i]));
            }
            continue;
        }
        out.append('\0');
        out.append(static_cast<char>(count));
        for (; i < end; ++i) {
            out.append(static_cast<char>(row[i]));
        }
        if (count % 2 != 0) {
            out.append('\0');
        }
    }
    out.append('\0');
    out.append('\0');
}

// A picture of at most 256 colours as an 8-bit run-length bitmap: the flat skin then takes a few kilobytes
// instead of megabytes, on disk and in the client's memory until a window shows it. Empty for richer pictures.
QByteArray RunLengthBitmap(const QImage& img) {
    std::vector<QRgb> palette;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(img.width()) * img.height());
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb colour = line[x] | 0xFF000000u;
            auto found = std::find(palette.begin(), palette.end(), colour);
            if (found == palette.end()) {
                if (palette.size() == 256) {
                    return {};
                }
                found = palette.insert(palette.end(), colour);
            }
            indices[static_cast<std::size_t>(y) * img.width() + x] = static_cast<std::uint8_t>(found - palette.begin());
        }
    }
    QByteArray data;
    for (int y = img.height() - 1; y >= 0; --y) { // bottom row first
        const auto begin = indices.begin() + static_cast<std::ptrdiff_t>(y) * img.width();
        EncodeRow(std::vector<std::uint8_t>(begin, begin + img.width()), data);
    }
    data.append('\0');
    data.append('\x01'); // end of bitmap

    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size()) * 4;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    QByteArray out;
    out.append("BM");
    PutLe(out, offset + static_cast<std::uint32_t>(data.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, offset, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(img.width()), 4);
    PutLe(out, static_cast<std::uint32_t>(img.height()), 4);
    PutLe(out, 1, 2); // planes
    PutLe(out, 8, 2); // bits per pixel
    PutLe(out, 1, 4); // run-length coded, 8 bits
    PutLe(out, static_cast<std::uint32_t>(data.size()), 4);
    PutLe(out, 2835, 4); // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, static_cast<std::uint32_t>(palette.size()), 4);
    PutLe(out, 0, 4);
    for (QRgb colour : palette) {
        out.append(static_cast<char>(qBlue(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qRed(colour)));
        out.append('\0');
    }
    out.append(data);
    return out;
}

// A folder the painter fills, and what it wrote there.
struct Folder {
    QString path;
    QStringList written;
};

void Save(const QImage& img, Folder& folder, const QString& name) {
    folder.written.append(name);
    const QString path = folder.path + QLatin1Char('/') + name;
    if (name.endsWith(QLatin1String(".png"))) {
        if (!img.save(path, "PNG")) {
            Fail(path, "cannot write");
        }
        return;
    }
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    const QByteArray compact = RunLengthBitmap(rgb);
    if (compact.isEmpty()) {
        if (!rgb.save(path, "BMP")) {
            Fail(path, "cannot write");
        }
    } else {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(compact) != compact.size() || !file.flush()) {
            Fail(path, "cannot write");
        }
    }
    // Read back as every window will: the file must give exactly the picture that was painted.
    const QImage back = QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
    if (back.size() != rgb.size()) {
        Fail(path, "cannot read back");
    }
    for (int y = 0; y < rgb.height(); ++y) {
        if (std::memcmp(back.constScanLine(y), rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 4) != 0) {
            Fail(path, "reads back other pixels than were painted into");
        }
    }
}

// A bitmap built into a program, by its number.
void Save(const QImage& img, Folder& folder, int number) {
    Save(img, folder, QString::number(number) + QStringLiteral(".bmp"));
}

// Solid rounded shape without antialiasing, so its edge never blends with the magenta around it.
void Shape(QPainter& p, const QRect& r, int radius, const QColor& fill, const QColor& border) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(border.isValid() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0, 0, -1, -1), radius, radius);
    p.restore();
}

// Text goes through a layer whose soft edges keep to 16 shades: to the eye the same, but each picture then
// holds few enough colours to be stored in its compact form.
void Text(QPainter& p, const QRect& r, const QString& text, int px, bool bold, const QColor& colour,
          int flags = Qt::AlignCenter) {
    if (r.isEmpty()) {
        return;
    }
    QImage layer(r.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::TextAntialiasing, true);
        lp.setFont(Font(px, bold));
        lp.setPen(colour);
        lp.drawText(layer.rect(), flags, text);
    }
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const int alpha = (qAlpha(line[x]) + 8) / 17 * 17;
            line[x] = qRgba(colour.red(), colour.green(), colour.blue(), alpha);
        }
    }
    p.drawImage(r.topLeft(), layer);
}

// A push button with a label: rounded, magenta outside the shape.
QImage Button(int w, int h, const QString& label, const QColor& fill, const QColor& text, int px = 18) {
    QImage img = Canvas(w, h, kMagenta);
    QPainter p(&img);
    Shape(p, QRect(0, 0, w, h), std::min(12, h / 3), fill, fill.darker(125));
    Shape(p, QRect(3, 3, w - 6, h / 2 - 3), std::min(8, h / 4), fill.lighter(108), QColor());
    Text(p, QRect(0, 0, w, h), label, px, true, text);
    return img;
}

// The two faces of a dialog button. At rest it is calm and light; lit (under the mouse, or holding the
// focus that Enter presses) it turns solid blue with a white ring, so the eye always finds the button that
// Enter answers with, whichever of two buttons that is.
QImage RestingButton(int w, int h, const QString& label, int px) {
    return Button(w, h, label, kLightBlue, kCaption, px);
}

QImage LitButton(int w, int h, const QString& label, int px) {
    QImage img = Button(w, h, label, kCaption, kWhite, px);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kWhite, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRect(4, 4, w - 9, h - 9), std::min(9, h / 4), std::min(9, h / 4));
    return img;
}

// A tab: rounded above, square below, optional label and colour mark.
QImage Tab(int w, int h, const QString& label, const QColor& fill, const QColor& text, const QColor& mark) {
    QImage img = Canvas(w, h, kMagenta);
    QPainter p(&img);
    Shape(p, QRect(0, 0, w, h + 14), 12, fill, fill == kCaption ? kCaption.darker(120) : kLine);
    p.fillRect(QRect(0, h - 1, w, 1), fill == kCaption ? kCaption.darker(120) : kLine);
    if (!label.isEmpty()) {
        QRect textRect(0, 0, w, h);
        if (mark.isValid()) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QRect(w / 2 - 44, h / 2 - 7, 14, 14));
            textRect.adjust(20, 0, 0, 0);
        }
        Text(p, textRect, label, 20, true, text);
    }
    return img;
}

// A white field with a light frame, drawn under a transparent edit of that rectangle.
void Field(QPainter& p, const QRect& edit) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kFrame);
    p.setBrush(kWhite);
    p.drawRect(edit.adjusted(-4, -3, 3, 2));
    p.restore();
}

void Label(QPainter& p, int right, int y, int h, const QString& text) {
    Text(p, QRect(right - 160, y, 160, h), text, 15, true, kCaption, Qt::AlignRight | Qt::AlignVCenter);
}

void Section(QPainter& p, const QRect& r, const QString& title) {
    p.fillRect(QRect(r.left(), r.top() + 4, 4, 18), kCaption);
    Text(p, QRect(r.left() + 12, r.top(), r.width() - 12, 26), title, 16, true, kInk, Qt::AlignLeft | Qt::AlignVCenter);
}

QImage Page(int w, int h) {
    QImage img = Canvas(w, h, kWhite);
    QPainter p(&img);
    p.setPen(kLine);
    p.drawRect(0, 0, w - 1, h - 1);
    return img;
}

// A window of a dialog: white body, blue title band, thin frame.
QImage DialogWindow(int w, int h, const QString& title) {
    QImage img = Canvas(w, h, kWhite);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, w, 44), kCaption);
    p.fillRect(QRect(0, 44, w, 3), kLightBlue);
    Text(p, QRect(20, 0, w - 40, 44), title, 18, true, kWhite, Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(kCaption.darker(130));
    p.drawRect(0, 0, w - 1, h - 1);
    return img;
}

void PaintMainWindow(Folder& dir) {
    {
        QImage img = Canvas(1024, 750, kPale);
        QPainter p(&img);
        p.fillRect(QRect(0, 0, 1024, 87), kLightBlue);
        p.fillRect(QRect(0, 27, 1024, 1), kLine);
        p.fillRect(QRect(0, 86, 1024, 1), kLine);
        p.setPen(kLine);
        p.drawRect(16, 86, 989, 538);
        p.setPen(kCaption);
        p.drawRect(0, 0, 1023, 749);
        Save(img, dir, "main_bg.bmp");
    }
    {
        QImage img = Canvas(95, 27, kLightBlue);
        QPainter p(&img);
        Text(p, QRect(8, 0, 87, 27), QStringLiteral("Halvren"), 17, true, kCaption, Qt::AlignLeft | Qt::AlignVCenter);
        // The title sits in the window's corner: it carries the window's frame on, top and left.
        p.fillRect(QRect(0, 0, 95, 1), kCaption);
        p.fillRect(QRect(0, 0, 1, 27), kCaption);
        Save(img, dir, "title.bmp");
    }
    {
        QImage img = Canvas(1024, 125, kCaption);
        QPainter p(&img);
        p.fillRect(QRect(0, 0, 1024, 4), kLine);
        p.fillRect(QRect(0, 4, 1024, 1), kCaption.lighter(130));
        p.fillRect(QRect(0, 122, 1024, 3), kCaption.darker(130));
        Text(p, QRect(0, 100, 1010, 22), QStringLiteral("긴급 상황에는 119로 전화해 주십시오"), 12, false, kLightBlue,
             Qt::AlignRight | Qt::AlignVCenter);
        Save(img, dir, "menu_bar.bmp");
    }
    // Step pictures: where the user is on the way to a report. They show, they do not act (the menu moves
    // between pages), so nothing in them looks pressable: plain words in a row, the current one bold and
    // underlined, the others muted, with arrows between.
    const QStringList steps = {QStringLiteral("사용자 등록"), QStringLiteral("사용자 선택"),
                               QStringLiteral("신고 작성"), QStringLiteral("신고 내역")};
    const QColor kMuted(84, 102, 120);
    auto stepImage = [&](int current, const QString& heading) {
        QImage img = Canvas(420, 46, kLightBlue);
        QPainter p(&img);
        Text(p, QRect(0, 0, 150, 46), heading, 20, true, kCaption, Qt::AlignLeft | Qt::AlignVCenter);
        int x = 150;
        for (int i = 0; i < steps.size(); ++i) {
            const bool on = i == current;
            Text(p, QRect(x, 12, 58, 22), steps[i], 11, on, on ? kCaption : kMuted);
            if (on) {
                p.fillRect(QRect(x + 4, 33, 50, 2), kCaption);
            }
            if (i + 1 < steps.size()) {
                Text(p, QRect(x + 58, 12, 12, 22), QStringLiteral("›"), 13, false, kMuted);
            }
            x += 70;
        }
        return img;
    };
    Save(stepImage(2, QStringLiteral("긴급 신고")), dir, "left_Step_SendCall.bmp");
    Save(stepImage(1, QStringLiteral("사용자 선택")), dir, "left_Step_selectUser.bmp");
    Save(stepImage(0, QStringLiteral("사용자 등록")), dir, "left_Step_registUser.bmp");
    Save(stepImage(0, QStringLiteral("정보 수정")), dir, "left_Step_modifyUser.bmp");
    Save(stepImage(3, QStringLiteral("신고 내역")), dir, "left_Step_history.bmp");
    {
        QImage img = Canvas(557, 46, kLightBlue);
        QPainter p(&img);
        Text(p, QRect(0, 0, 547, 46), QStringLiteral("화재 · 구급 · 구조 · 재난 인터넷 신고"), 15, true, kCaption,
             Qt::AlignRight | Qt::AlignVCenter);
        Save(img, dir, "right_Step.bmp");
    }
    struct Menu {
        const char* name;
        int w, h;
        QString label;
        QColor fill, hover;
        int px;
    };
    const Menu menus[] = {
        {"menu_main", 250, 100, QStringLiteral("신고하기"), kAlert, kAlertHover, 30},
        {"menu_user", 240, 80, QStringLiteral("사용자 관리"), kCaption.lighter(125), kHover.lighter(120), 22},
        {"menu_history", 240, 80, QStringLiteral("신고 내역"), kCaption.lighter(125), kHover.lighter(120), 22},
        {"menu_help", 88, 76, QStringLiteral("도움말"), kCaption.lighter(125), kHover.lighter(120), 17},
        {"menu_close", 84, 76, QStringLiteral("종료"), kCaption.lighter(125), kHover.lighter(120), 17},
    };
    for (const Menu& m : menus) {
        Save(Button(m.w, m.h, m.label, m.fill, kWhite, m.px), dir, QString::fromLatin1(m.name) + ".bmp");
        Save(Button(m.w, m.h, m.label, m.hover, kSelectedText, m.px), dir, QString::fromLatin1(m.name) + "_o.bmp");
    }
    auto small = [&](bool hover, bool cross) {
        QImage img = Canvas(18, 18, kMagenta);
        QPainter p(&img);
        Shape(p, QRect(0, 0, 18, 18), 4, hover ? (cross ? kAlert : kHover) : kCaption, QColor());
        p.setPen(QPen(kWhite, 2));
        if (cross) {
            p.drawLine(5, 5, 12, 12);
            p.drawLine(12, 5, 5, 12);
        } else {
            p.drawLine(5, 12, 12, 12);
        }
        return img;
    };
    Save(small(false, false), dir, "btn_min.bmp");
    Save(small(true, false), dir, "btn_min_o.bmp");
    Save(small(false, true), dir, "btn_x.bmp");
    Save(small(true, true), dir, "btn_x_o.bmp");
}

void PaintReportPage(Folder& dir) {
    {
        QImage img = Page(988, 537);
        QPainter p(&img);
        p.fillRect(QRect(1, 1, 986, 65), kPale);
        p.fillRect(QRect(1, 65, 986, 1), kLine);
        Label(p, 236, 76, 22, QStringLiteral("주소"));
        Field(p, QRect(249, 76, 672, 22));
        Label(p, 236, 110, 22, QStringLiteral("집 전화"));
        Field(p, QRect(382, 110, 50, 22));
        Field(p, QRect(462, 110, 50, 22));
        Text(p, QRect(432, 110, 30, 22), QStringLiteral("-"), 15, true, kCaption);
        Text(p, QRect(512, 110, 30, 22), QString(), 15, true, kCaption);
        Label(p, 648, 110, 22, QStringLiteral("휴대전화"));
        Field(p, QRect(794, 110, 50, 22));
        Field(p, QRect(872, 110, 50, 22));
        Text(p, QRect(844, 110, 28, 22), QStringLiteral("-"), 15, true, kCaption);
        Label(p, 236, 145, 22, QStringLiteral("참고 사항"));
        Field(p, QRect(249, 145, 674, 48));
        Section(p, QRect(40, 196, 400, 26), QStringLiteral("신고 유형"));
        p.fillRect(QRect(100, 277, 840, 1), kLine);
        Label(p, 236, 328, 22, QStringLiteral("사고 장소"));
        Field(p, QRect(249, 328, 672, 22));
        Label(p, 236, 358, 22, QStringLiteral("상황 설명"));
        Field(p, QRect(249, 358, 674, 76));
        Save(img, dir, "SendCall_BG.bmp");
    }
    {
        QImage img = Canvas(120, 24, kWhite);
        QPainter p(&img);
        Text(p, QRect(0, 0, 116, 24), QStringLiteral("환자 선택"), 15, true, kCaption,
             Qt::AlignRight | Qt::AlignVCenter);
        Save(img, dir, "SendCall_Patient.bmp");
    }
    {
        QImage img = Canvas(600, 28, kWhite);
        QPainter p(&img);
        Text(p, QRect(0, 0, 600, 28), QStringLiteral("▲ 위에서 신고 유형을 먼저 선택해 주십시오."), 16, true, kAlert,
             Qt::AlignLeft | Qt::AlignVCenter);
        Save(img, dir, "SendCall_TypeSelect.bmp");
    }
    Save(Button(230, 64, QStringLiteral("신고하기"), kAlert, kWhite, 26), dir, "btn_call.bmp");
    Save(Button(230, 64, QStringLiteral("신고하기"), kAlertHover, kSelectedText, 26), dir, "btn_call_o.bmp");
    const QColor noMark;
    Save(Tab(165, 50, QString(), kLightBlue, kCaption, noMark), dir, "SendCall_UserTab_n.bmp");
    Save(Tab(165, 50, QString(), kWhite, kInk, noMark), dir, "SendCall_UserTab_o.bmp");
    Save(Tab(165, 50, QString(), kCaption, kSelectedText, noMark), dir, "SendCall_UserTab_s.bmp");
    struct Category {
        const char* name;
        QString label;
        QColor mark;
    };
    const Category categories[] = {
        {"Fire", QStringLiteral("화재"), QColor(214, 62, 44)},
        {"Emergency", QStringLiteral("구급"), QColor(44, 150, 90)},
        {"Rescue", QStringLiteral("구조"), QColor(230, 140, 30)},
        {"Disaster", QStringLiteral("재난"), QColor(120, 80, 170)},
        {"Etc", QStringLiteral("기타"), QColor(120, 130, 140)},
    };
    for (const Category& c : categories) {
        const QString base = QStringLiteral("Tab_") + QString::fromLatin1(c.name);
        Save(Tab(165, 56, c.label, kLightBlue, kCaption, c.mark), dir, base + "_n.bmp");
        Save(Tab(165, 56, c.label, kWhite, kInk, c.mark), dir, base + "_o.bmp");
        Save(Tab(165, 56, c.label, kCaption, kSelectedText, c.mark), dir, base + "_s.bmp");
    }
}

void PaintUserPages(Folder& dir) {
    auto title = [&](const QString& text, const char* name) {
        QImage img = Canvas(95, 27, kWhite);
        QPainter p(&img);
        p.fillRect(QRect(0, 5, 4, 17), kCaption);
        Text(p, QRect(9, 0, 86, 27), text, 15, true, kCaption, Qt::AlignLeft | Qt::AlignVCenter);
        Save(img, dir, QString::fromLatin1(name));
    };
    title(QStringLiteral("사용자 선택"), "UserSelect_title.bmp");
    title(QStringLiteral("사용자 등록"), "UserRegist_title.bmp");
    // The person button carries only a figure; the name is its caption.
    auto person = [&](bool hover) {
        QImage img = Canvas(410, 88, kMagenta);
        QPainter p(&img);
        Shape(p, QRect(0, 0, 410, 88), 14, hover ? kCaption : kLightBlue, hover ? kCaption : kLine);
        const QColor figure = hover ? kLightBlue : kCaption;
        p.setPen(Qt::NoPen);
        p.setBrush(figure);
        p.drawEllipse(QRect(30, 16, 26, 26));
        p.drawRoundedRect(QRect(20, 46, 46, 26), 10, 10);
        return img;
    };
    Save(person(false), dir, "btn_user.bmp");
    Save(person(true), dir, "btn_user_o.bmp");
    Save(Button(240, 100, QStringLiteral("+ 사용자 추가"), kCaption, kWhite, 22), dir, "btn_UserAdd.bmp");
    Save(Button(240, 100, QStringLiteral("+ 사용자 추가"), kHover, kSelectedText, 22), dir, "btn_UserAdd_o.bmp");
    Save(Button(390, 110, QStringLiteral("사용자 등록하기"), kCaption, kWhite, 28), dir, "btn_UserRegist.bmp");
    Save(Button(390, 110, QStringLiteral("사용자 등록하기"), kHover, kSelectedText, 28), dir, "btn_UserRegist_o.bmp");

    {
        QImage img = Page(988, 537);
        QPainter p(&img);
        Section(p, QRect(30, 8, 400, 26), QStringLiteral("사용자 정보"));
        Label(p, 210, 39, 22, QStringLiteral("이름"));
        Field(p, QRect(225, 39, 674, 22));
        Label(p, 210, 90, 22, QStringLiteral("주민등록번호"));
        Field(p, QRect(225, 90, 99, 22));
        Text(p, QRect(327, 90, 24, 22), QStringLiteral("-"), 15, true, kCaption);
        Field(p, QRect(354, 90, 99, 22));
        Label(p, 210, 124, 22, QStringLiteral("우편번호"));
        Field(p, QRect(225, 124, 230, 22));
        Label(p, 210, 176, 22, QStringLiteral("주소"));
        Field(p, QRect(225, 176, 674, 22));
        Label(p, 210, 210, 22, QStringLiteral("상세 주소"));
        Field(p, QRect(225, 210, 674, 22));
        Label(p, 210, 262, 22, QStringLiteral("집 전화"));
        Label(p, 210, 296, 22, QStringLiteral("휴대전화"));
        for (int y : {262, 296}) {
            Field(p, QRect(354, y, 99, 22));
            Field(p, QRect(483, y, 99, 22));
            Text(p, QRect(331, y, 23, 22), QStringLiteral("-"), 15, true, kCaption);
            Text(p, QRect(456, y, 24, 22), QStringLiteral("-"), 15, true, kCaption);
        }
        Label(p, 210, 330, 22, QStringLiteral("참고 사항"));
        Field(p, QRect(225, 330, 674, 60));
        Text(p, QRect(225, 396, 674, 20),
             QStringLiteral("병력, 복용 중인 약 등 출동에 도움이 되는 내용을 적어 주십시오."), 12, false, kInk,
             Qt::AlignLeft | Qt::AlignVCenter);
        p.fillRect(QRect(30, 448, 928, 1), kLine);
        Save(img, dir, "UserInfo_BG.bmp");
    }
    struct Plain {
        const char* name;
        int w, h;
        QString label;
    };
    const Plain buttons[] = {
        {"btn_back", 140, 54, QStringLiteral("이전")},         {"btn_first", 140, 54, QStringLiteral("새로 입력")},
        {"btn_ok", 140, 54, QStringLiteral("저장")},           {"btn_del", 140, 54, QStringLiteral("삭제")},
        {"btn_zip", 110, 40, QStringLiteral("우편번호 검색")},
    };
    for (const Plain& b : buttons) {
        const bool danger = QByteArray(b.name) == "btn_del";
        const int px = b.h < 50 ? 14 : 19;
        Save(Button(b.w, b.h, b.label, danger ? kAlert : kCaption, kWhite, px), dir,
             QString::fromLatin1(b.name) + ".bmp");
        Save(Button(b.w, b.h, b.label, danger ? kAlertHover : kHover, kSelectedText, px), dir,
             QString::fromLatin1(b.name) + "_o.bmp");
    }
}

void PaintHistoryPage(Folder& dir) {
    {
        QImage img = Page(988, 537);
        QPainter p(&img);
        p.fillRect(QRect(1, 1, 986, 71), kPale);
        p.fillRect(QRect(1, 71, 986, 1), kLine);
        Section(p, QRect(67, 116, 400, 26), QStringLiteral("신고 내역"));
        Section(p, QRect(67, 296, 400, 26), QStringLiteral("신고 상세"));
        Label(p, 190, 330, 24, QStringLiteral("사고 장소"));
        Field(p, QRect(201, 330, 716, 24));
        Label(p, 190, 365, 24, QStringLiteral("제목"));
        Field(p, QRect(201, 365, 716, 24));
        Label(p, 190, 396, 24, QStringLiteral("신고 내용"));
        Field(p, QRect(201, 396, 716, 76));
        Save(img, dir, "History_BG.bmp");
    }
    const QColor noMark;
    Save(Tab(200, 56, QString(), kLightBlue, kCaption, noMark), dir, "Histroy_UserTab_n.bmp");
    Save(Tab(200, 56, QString(), kWhite, kInk, noMark), dir, "Histroy_UserTab_o.bmp");
    Save(Tab(200, 56, QString(), kCaption, kSelectedText, noMark), dir, "Histroy_UserTab_s.bmp");
}

QImage Icon(const QString& text, const QColor& fill) {
    QImage img(64, 64, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    Text(p, QRect(0, 0, 64, 64), text, 24, true, kWhite);
    return img;
}

void PaintClientResources(Folder& dir) {
    Save(RestingButton(134, 54, QStringLiteral("확인"), 20), dir, ClientBitmap::kConfirm);
    Save(LitButton(134, 54, QStringLiteral("확인"), 20), dir, ClientBitmap::kConfirmHover);
    Save(RestingButton(134, 54, QStringLiteral("예"), 20), dir, ClientBitmap::kYes);
    Save(LitButton(134, 54, QStringLiteral("예"), 20), dir, ClientBitmap::kYesHover);
    Save(RestingButton(134, 54, QStringLiteral("아니오"), 20), dir, ClientBitmap::kNo);
    Save(LitButton(134, 54, QStringLiteral("아니오"), 20), dir, ClientBitmap::kNoHover);
    Save(Button(134, 54, QStringLiteral("예"), kCaption.darker(130), kSelectedText, 20), dir,
         ClientBitmap::kYesSelected);
    Save(Button(134, 54, QStringLiteral("아니오"), kLine, kInk, 20), dir, ClientBitmap::kNoSelected);
    {
        QImage img = DialogWindow(500, 250, QStringLiteral("Halvren 메세지"));
        QPainter p(&img);
        Shape(p, QRect(54, 63, 410, 96), 10, kPale, kLine);
        Save(img, dir, ClientBitmap::kMessageBackground);
    }
    {
        QImage img = DialogWindow(800, 600, QStringLiteral("우편번호 검색"));
        QPainter p(&img);
        Text(p, QRect(27, 60, 740, 30), QStringLiteral("찾으시는 곳의 동(읍, 면) 이름을 입력하고 검색을 누르십시오."),
             15, false, kInk, Qt::AlignLeft | Qt::AlignVCenter);
        Shape(p, QRect(27, 100, 747, 52), 10, kPale, kLine);
        Label(p, 220, 115, 26, QStringLiteral("동(읍, 면) 이름"));
        Field(p, QRect(232, 115, 250, 26));
        Section(p, QRect(27, 166, 400, 26), QStringLiteral("검색 결과"));
        Save(img, dir, ClientBitmap::kZipBackground);
    }
    auto close = [&](bool hover) {
        QImage img = Canvas(20, 20, kMagenta);
        QPainter p(&img);
        Shape(p, QRect(0, 0, 20, 20), 4, hover ? kAlert : kCaption.lighter(125), QColor());
        p.setPen(QPen(kWhite, 2));
        p.drawLine(6, 6, 13, 13);
        p.drawLine(13, 6, 6, 13);
        return img;
    };
    Save(close(false), dir, ClientBitmap::kZipClose);
    Save(close(true), dir, ClientBitmap::kZipCloseHover);
    Save(RestingButton(120, 40, QStringLiteral("검색"), 17), dir, ClientBitmap::kZipSearch);
    Save(LitButton(120, 40, QStringLiteral("검색"), 17), dir, ClientBitmap::kZipSearchHover);
    {
        QImage img = DialogWindow(850, 636, QStringLiteral("신고 확인"));
        QPainter p(&img);
        Text(p, QRect(40, 70, 200, 34), QStringLiteral("신고 유형"), 17, true, kCaption,
             Qt::AlignRight | Qt::AlignVCenter);
        Text(p, QRect(318, 70, 500, 34), QStringLiteral("(으)로 아래와 같이 신고하시겠습니까?"), 18, true, kInk,
             Qt::AlignLeft | Qt::AlignVCenter);
        Text(p, QRect(60, 118, 730, 24), QStringLiteral("내용을 확인하시고 맞으면 [예]를 누르십시오."), 14, false, kInk,
             Qt::AlignLeft | Qt::AlignVCenter);
        Section(p, QRect(40, 170, 400, 26), QStringLiteral("신고자 정보"));
        Label(p, 150, 206, 22, QStringLiteral("신고자"));
        Field(p, QRect(164, 206, 250, 22));
        Label(p, 150, 241, 22, QStringLiteral("주민등록번호"));
        Field(p, QRect(164, 241, 105, 22));
        Text(p, QRect(272, 241, 33, 22), QStringLiteral("-"), 15, true, kCaption);
        Field(p, QRect(308, 241, 105, 22));
        Label(p, 150, 276, 22, QStringLiteral("주소"));
        Field(p, QRect(164, 276, 641, 22));
        Label(p, 150, 311, 22, QStringLiteral("집 전화"));
        Field(p, QRect(164, 311, 250, 22));
        Label(p, 541, 311, 22, QStringLiteral("휴대전화"));
        Field(p, QRect(555, 311, 250, 22));
        Section(p, QRect(40, 345, 400, 26), QStringLiteral("신고 내용"));
        Label(p, 150, 381, 22, QStringLiteral("사고 장소"));
        Field(p, QRect(164, 381, 641, 22));
        Label(p, 150, 416, 22, QStringLiteral("상황 설명"));
        Field(p, QRect(164, 416, 641, 99));
        Save(img, dir, ClientBitmap::kCallConfirmBackground);
    }
    const struct {
        int id;
        QString label;
        QColor fill;
    } pictures[] = {
        {ClientBitmap::kFirePicture, QStringLiteral("화재"), QColor(214, 62, 44)},
        {ClientBitmap::kEmergencyPicture, QStringLiteral("구급"), QColor(44, 150, 90)},
        {ClientBitmap::kRescuePicture, QStringLiteral("구조"), QColor(230, 140, 30)},
        {ClientBitmap::kDisasterPicture, QStringLiteral("재난"), QColor(120, 80, 170)},
        {ClientBitmap::kOtherPicture, QStringLiteral("기타"), QColor(120, 130, 140)},
    };
    for (const auto& c : pictures) {
        QImage img = Canvas(56, 34, kWhite);
        QPainter p(&img);
        Shape(p, QRect(0, 0, 56, 34), 8, c.fill, QColor());
        Text(p, QRect(0, 0, 56, 34), c.label, 16, true, kWhite);
        Save(img, dir, c.id);
    }
    {
        QImage img = Canvas(17, 24, kLightBlue);
        QPainter p(&img);
        p.fillRect(QRect(0, 0, 1, 24), kFrame);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(kCaption);
        p.drawPolygon(QPolygon({QPoint(4, 9), QPoint(13, 9), QPoint(8, 14)}));
        Save(img, dir, ClientBitmap::kComboArrow);
    }
    Save(Icon(QStringLiteral("119"), kAlert), dir, "icon.png");
}

void PaintUpdaterResources(Folder& dir) {
    {
        QImage img = DialogWindow(600, 300, QStringLiteral("Halvren 업데이트"));
        QPainter p(&img);
        Field(p, QRect(66, 68, 495, 47));
        Save(img, dir, UpdaterBitmap::kBackground);
    }
    Save(RestingButton(134, 54, QStringLiteral("시작"), 20), dir, UpdaterBitmap::kStart);
    Save(LitButton(134, 54, QStringLiteral("시작"), 20), dir, UpdaterBitmap::kStartHover);
    Save(RestingButton(134, 54, QStringLiteral("종료"), 20), dir, UpdaterBitmap::kFinish);
    Save(LitButton(134, 54, QStringLiteral("종료"), 20), dir, UpdaterBitmap::kFinishHover);
    Save(Icon(QStringLiteral("↓"), kCaption), dir, "128.png");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <images folder> <client resource folder> <updater resource folder>\n", argv[0]);
        return 2;
    }
    // Our own font file, so the pictures do not depend on what fontconfig would pick.
    int regular = QFontDatabase::addApplicationFont(QStringLiteral(HALVREN_SKIN_FONT));
    QFontDatabase::addApplicationFont(QStringLiteral(HALVREN_SKIN_FONT_BOLD));
    if (regular < 0) {
        std::fprintf(stderr, "skin painter: cannot load the font %s\n", HALVREN_SKIN_FONT);
        return 1;
    }
    QGuiApplication::setFont(QFont(QFontDatabase::applicationFontFamilies(regular).value(0)));

    Folder images{QString::fromLocal8Bit(argv[1]), {}};
    Folder client{QString::fromLocal8Bit(argv[2]), {}};
    Folder updater{QString::fromLocal8Bit(argv[3]), {}};
    for (const Folder* d : {&images, &client, &updater}) {
        QDir().mkpath(d->path);
    }
    PaintMainWindow(images);
    PaintReportPage(images);
    PaintUserPages(images);
    PaintHistoryPage(images);
    PaintClientResources(client);
    PaintUpdaterResources(updater);

    // The skin files are exactly the ones the catalogue loads: a name painted but never loaded, or loaded but
    // never painted, would be a window without its picture.
    QStringList expected;
    for (const char* name : kSkinFiles) {
        expected.append(QString::fromLatin1(name));
    }
    expected.sort();
    images.written.sort();
    if (images.written != expected) {
        std::fprintf(stderr, "skin painter: painted %s\nbut the catalogue loads %s\n",
                     qPrintable(images.written.join(QLatin1Char(' '))), qPrintable(expected.join(QLatin1Char(' '))));
        return 1;
    }
    return 0;
}
